// Prints the library's Android log lines on oxa-host's output: on Linux they
// would otherwise go to liblog's stderr logger, which hides DEBUG lines.
#ifndef OXA_HOST_LOG_PRINTER_H
#define OXA_HOST_LOG_PRINTER_H

namespace oxahost {

class LogPrinter {
public:
    // Installs the printer as liblog's logger, every priority let through.
    static void install();
    // Lets through nothing below ERROR: the log stays quiet unless it fails.
    static void quiet();
};

}  // namespace oxahost

#endif  // OXA_HOST_LOG_PRINTER_H
