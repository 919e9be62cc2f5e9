// Turns the raw report of CrashReporter (or any list of raw frames: the
// realtime probe's, a thread's) into one a module author reads: each frame
// with its function, and its file and line where the library has debug
// information, with the functions inlined into it. Runs in the parent, after
// the child died, or on a thread of the check's own. Names come from
// binutils' addr2line when it is installed (the names of inlined calls from
// elfutils' eu-addr2line, when that is installed too), else from the
// library's own symbol tables (function names only).
#ifndef OXA_HOST_CRASH_SYMBOLIZER_H
#define OXA_HOST_CRASH_SYMBOLIZER_H

#include <stdint.h>

#include <string>
#include <vector>

namespace oxahost {

// A call the compiler inlined into a frame's function.
struct InlinedCall {
    std::string function;
    std::string location;  // "file:line"; empty when unknown
};

struct CrashFrame {
    std::string pc;       // the address, as the report wrote it
    std::string library;  // empty when the address is in no loaded library
    // Relative to the library's load address: what addr2line takes.
    uint64_t offset = 0;
    std::string function;  // empty when unknown
    std::string location;  // "file:line"; empty when unknown
    // The calls inlined at this address, innermost first: the fault is in
    // the first of them, which `function` called.
    std::vector<InlinedCall> inlined;
};

class CrashSymbolizer {
public:
    // The report's other lines, each heading the frames after it, and each
    // "frame ..." line as
    //   #N function at file:line (library+0xoffset)
    // preceded, for each call inlined there, by a line
    //   #N function at file:line (inlined)
    // Below the first frame in oxa-host itself, its frames are summed up in
    // one line unless `allFrames`.
    static std::string symbolize(const std::string& raw, bool allFrames = false);
    // One raw frame line as symbolize() takes it: a return address (not the
    // interrupted instruction) is looked up at the call before it.
    static std::string rawFrame(const void* pc, bool returnAddress);

private:
    static void name(const std::vector<CrashFrame*>& frames);
    static std::string render(const std::vector<CrashFrame>& frames, bool allFrames);
    static void nameWithAddr2line(std::vector<CrashFrame*>& frames);
    static void nameFromSymbolTables(CrashFrame& frame);
    // Per frame, its function and location and those of each call inlined
    // there, innermost first, as `program` (an addr2line) gives them.
    typedef std::vector<std::vector<InlinedCall>> Levels;
    static Levels addr2line(const char* program, const std::string& library,
                            const std::vector<CrashFrame*>& frames);
    static void nameInlinedCalls(const std::string& library,
                                 const std::vector<CrashFrame*>& frames);
    static std::string format(size_t index, const CrashFrame& frame);
};

}  // namespace oxahost

#endif  // OXA_HOST_CRASH_SYMBOLIZER_H
