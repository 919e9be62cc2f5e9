// Holds what the process writes to its standard error for a while, so that
// a module that prints the same line thousands of times (a library that
// fails again on every load) does not drown the report: when released, each
// distinct line is written once, with how many times it came.
#ifndef OXA_HOST_STDERR_CAPTURE_H
#define OXA_HOST_STDERR_CAPTURE_H

#include <string>

namespace oxahost {

class StderrCapture {
public:
    // From now on the standard error goes to a file in memory.
    StderrCapture();
    // Releases, if release() was not called.
    ~StderrCapture();

    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Puts the standard error back, writes the distinct lines to it, and
    // says, for a report, how many lines there were and the most frequent:
    // empty when there were none.
    std::string release();

private:
    int mSaved = -1;
    int mFile = -1;
};

}  // namespace oxahost

#endif  // OXA_HOST_STDERR_CAPTURE_H
