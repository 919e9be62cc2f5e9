// Captures the lines the library writes to the Android log, through liblog's
// own logger hook, so tests can assert exact priority, tag and text.
#ifndef OVIK_TEST_LOG_CAPTURE_H
#define OVIK_TEST_LOG_CAPTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct LogLine {
    int priority;
    std::string tag;
    std::string message;

    bool operator==(const LogLine& other) const {
        return priority == other.priority && tag == other.tag && message == other.message;
    }
};

// Printed as `PRIORITY tag: "message"` in failure messages.
void PrintTo(const LogLine& line, std::ostream* os);

// Process-wide: installs itself as liblog's logger on first use, with the
// minimum priority at verbose so DEBUG lines arrive too. Thread-safe.
class LogCapture {
public:
    static void install();
    static void clear();
    static std::vector<LogLine> lines();
    // The lines with `tag`, in order.
    static std::vector<LogLine> linesWithTag(const std::string& tag);
    static bool contains(int priority, const std::string& tag, const std::string& message);
    // Index of the first matching line at or after `from`, or -1.
    static int indexOf(int priority, const std::string& tag, const std::string& message,
                       int from = 0);
    static int count(int priority, const std::string& tag, const std::string& message);
    // The number of lines whose message contains `part`.
    static int countContaining(int priority, const std::string& tag, const std::string& part);
};

// Base fixture: starts every test with an empty capture.
class LogCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        LogCapture::install();
        LogCapture::clear();
    }
};

// Tags the library logs under.
extern const char kHostTag[];    // "VAD-OXAClient"
extern const char kBridgeTag[];  // "ZEZE-OvikServiceJNI"

#endif  // OVIK_TEST_LOG_CAPTURE_H
