// Turns the raw report of CrashReporter into one a module author reads: each
// frame with its function, and its file and line where the library has debug
// information. Runs in the parent, after the child died. Names come from
// binutils' addr2line when it is installed, else from the library's own
// symbol tables (function names only).
#ifndef OXA_HOST_CRASH_SYMBOLIZER_H
#define OXA_HOST_CRASH_SYMBOLIZER_H

#include <stdint.h>

#include <string>
#include <vector>

namespace oxahost {

struct CrashFrame {
    std::string pc;       // the address, as the report wrote it
    std::string library;  // empty when the address is in no loaded library
    // Relative to the library's load address: what addr2line takes.
    uint64_t offset = 0;
    std::string function;  // empty when unknown
    std::string location;  // "file:line"; empty when unknown
};

class CrashSymbolizer {
public:
    // The report's other lines, then each "frame ..." line as
    //   #N function at file:line (library+0xoffset)
    static std::string symbolize(const std::string& raw);

private:
    static void name(std::vector<CrashFrame>& frames);
    static std::string render(const std::vector<CrashFrame>& frames);
    static void nameWithAddr2line(std::vector<CrashFrame*>& frames);
    static void nameFromSymbolTables(CrashFrame& frame);
    static std::string format(size_t index, const CrashFrame& frame);
};

}  // namespace oxahost

#endif  // OXA_HOST_CRASH_SYMBOLIZER_H
