// One place that writes oxa-host's output lines, so lines from the main
// thread, module threads and the log never mix within a line.
#ifndef OXA_HOST_CONSOLE_H
#define OXA_HOST_CONSOLE_H

#include <string>

namespace oxahost {

class Console {
public:
    // Writes `text` and a newline to stdout and flushes. Any thread.
    static void line(const std::string& text);
    // Writes a diagnostic ("error: ...", "warning: ...", a crash report) and
    // a newline to stderr, so that stdout holds only the run's own record.
    // stdout is flushed first: on a terminal the two keep their order.
    static void diagnostic(const std::string& text);
};

}  // namespace oxahost

#endif  // OXA_HOST_CONSOLE_H
