// Prints the library's Android log lines on oxa-host's output: on Linux they
// would otherwise go to liblog's stderr logger, which hides DEBUG lines.
// Every message is also kept, whether printed or not.
#ifndef OXA_HOST_LOG_PRINTER_H
#define OXA_HOST_LOG_PRINTER_H

#include <string>
#include <vector>

namespace oxahost {

class LogPrinter {
public:
    // Installs the printer as liblog's logger, every priority let through.
    static void install();
    // Lets through nothing below ERROR: the log stays quiet unless it fails.
    static void quiet();
    // The messages of every priority seen so far that contain `text`, in
    // order, printed or not: what the run's diagnosis reads the host's
    // loading from.
    static std::vector<std::string> linesContaining(const std::string& text);
};

}  // namespace oxahost

#endif  // OXA_HOST_LOG_PRINTER_H
