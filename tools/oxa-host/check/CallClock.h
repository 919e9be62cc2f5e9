// Wall-clock and processor time of every call into the module, measured the
// way the host watches them: processor time of the whole process.
#ifndef OXA_HOST_CALL_CLOCK_H
#define OXA_HOST_CALL_CLOCK_H

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace oxahost {

class CallClock {
public:
    struct Call {
        std::string label;
        double wallSeconds;
        double cpuSeconds;
    };

    // Runs `body` as the call `label`, reported as the child's step. Any
    // thread; calls() is read once the calls have returned.
    void measure(const std::string& label, const std::function<void()>& body);
    const std::vector<Call>& calls() const { return mCalls; }
    // Forgets the calls measured so far (keeping the storage).
    void clear() {
        std::lock_guard<std::mutex> lock(mLock);
        mCalls.clear();
    }

    static double processCpuSeconds();
    static double wallSeconds();

private:
    std::mutex mLock;
    std::vector<Call> mCalls;
};

}  // namespace oxahost

#endif  // OXA_HOST_CALL_CLOCK_H
