// The lines liblog hands to its logger, kept in memory until Java takes them.
//
// Installed as liblog's logger when the helper library is loaded, which the
// JVM suites do before the service class loads libOvikServiceJni.so, so even
// the lines of the library's load hook are captured.
#ifndef OVIK_JVM_CAPTURED_LOG_H
#define OVIK_JVM_CAPTURED_LOG_H

#include <string>

class CapturedLog {
public:
    // Makes this the logger of the process, at verbose so DEBUG lines arrive.
    static void install();
    // Takes every line captured so far, each as its priority byte, its tag,
    // a zero byte, its message and a zero byte.
    static std::string take();
};

#endif  // OVIK_JVM_CAPTURED_LOG_H
