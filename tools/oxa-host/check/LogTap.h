// Collects the library's log lines in a check's child process, where checks
// read what the host said about the module (a call that threw, an overrun of
// the watch, an answer dropped after its client was gone). Thread-safe.
#ifndef OXA_HOST_LOG_TAP_H
#define OXA_HOST_LOG_TAP_H

#include <string>
#include <vector>

namespace oxahost {

class LogTap {
public:
    // Becomes liblog's logger, every priority let through, nothing printed.
    static void install();
    static void clear();
    // Messages at ERROR priority or above that contain `text`, in order.
    static std::vector<std::string> errorsContaining(const std::string& text);
};

}  // namespace oxahost

#endif  // OXA_HOST_LOG_TAP_H
