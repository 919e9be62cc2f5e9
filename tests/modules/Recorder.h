// What a test module remembers: the calls the host made, the settings a test
// gave it, and whether two threads were ever inside the module at once.
#ifndef OVIK_TEST_WAVE_RECORDER_H
#define OVIK_TEST_WAVE_RECORDER_H

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace testwave {

class Recorder {
public:
    static Recorder& instance();

    void record(const std::string& call);
    int callCount();
    // False when there is no call `index`.
    bool call(int index, std::string* text);
    void reset();

    void setValue(const std::string& key, long value);
    long value(const std::string& key, long fallback);
    void setText(const std::string& key, const std::string& text);
    // False when the text was never set.
    bool text(const std::string& key, std::string* text);

    // Entering and leaving a module entry point; a call entered while another
    // thread is inside counts as an overlap.
    void enter();
    void leave();
    int overlaps();

    void objectCreated();
    void objectDestroyed();
    int liveObjects();

private:
    Recorder() = default;

    std::mutex mLock;
    std::vector<std::string> mCalls;
    std::map<std::string, long> mValues;
    std::map<std::string, std::string> mTexts;
    int mActive = 0;
    int mOverlaps = 0;
    int mLiveObjects = 0;
};

// Records one call and marks the module busy for its length; it stays inside
// for the "delayUs" setting so that calls of racing threads meet.
class CallScope {
public:
    explicit CallScope(const std::string& call);
    ~CallScope();

    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
};

}  // namespace testwave

#endif  // OVIK_TEST_WAVE_RECORDER_H
