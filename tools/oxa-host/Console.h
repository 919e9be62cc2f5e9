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
};

}  // namespace oxahost

#endif  // OXA_HOST_CONSOLE_H
