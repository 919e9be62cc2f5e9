#include "Recorder.h"

#include <android/log.h>
#include <unistd.h>

#include "WaveProbeApi.h"

namespace testwave {

namespace {
// Calls made by this thread that are still running; a thread that calls the
// module again from inside an answer does not overlap with itself.
thread_local int tDepth = 0;
}  // namespace

Recorder& Recorder::instance() {
    static Recorder recorder;
    return recorder;
}

void Recorder::record(const std::string& call) {
    {
        std::lock_guard<std::mutex> lock(mLock);
        mCalls.push_back(call);
    }
    __android_log_print(ANDROID_LOG_DEBUG, WAVE_PROBE_LOG_TAG, "%s", call.c_str());
}

int Recorder::callCount() {
    std::lock_guard<std::mutex> lock(mLock);
    return static_cast<int>(mCalls.size());
}

bool Recorder::call(int index, std::string* text) {
    std::lock_guard<std::mutex> lock(mLock);
    if (index < 0 || index >= static_cast<int>(mCalls.size())) return false;
    *text = mCalls[index];
    return true;
}

void Recorder::reset() {
    std::lock_guard<std::mutex> lock(mLock);
    mCalls.clear();
    mValues.clear();
    mTexts.clear();
    mOverlaps = 0;
}

void Recorder::setValue(const std::string& key, long value) {
    std::lock_guard<std::mutex> lock(mLock);
    mValues[key] = value;
}

long Recorder::value(const std::string& key, long fallback) {
    std::lock_guard<std::mutex> lock(mLock);
    auto found = mValues.find(key);
    return found == mValues.end() ? fallback : found->second;
}

void Recorder::setText(const std::string& key, const std::string& text) {
    std::lock_guard<std::mutex> lock(mLock);
    mTexts[key] = text;
}

bool Recorder::text(const std::string& key, std::string* text) {
    std::lock_guard<std::mutex> lock(mLock);
    auto found = mTexts.find(key);
    if (found == mTexts.end()) return false;
    *text = found->second;
    return true;
}

void Recorder::enter() {
    std::lock_guard<std::mutex> lock(mLock);
    if (mActive > tDepth) ++mOverlaps;
    ++mActive;
    ++tDepth;
}

void Recorder::leave() {
    std::lock_guard<std::mutex> lock(mLock);
    --mActive;
    --tDepth;
}

int Recorder::overlaps() {
    std::lock_guard<std::mutex> lock(mLock);
    return mOverlaps;
}

void Recorder::objectCreated() {
    std::lock_guard<std::mutex> lock(mLock);
    ++mLiveObjects;
}

void Recorder::objectDestroyed() {
    std::lock_guard<std::mutex> lock(mLock);
    --mLiveObjects;
}

int Recorder::liveObjects() {
    std::lock_guard<std::mutex> lock(mLock);
    return mLiveObjects;
}

CallScope::CallScope(const std::string& call) {
    Recorder& recorder = Recorder::instance();
    recorder.enter();
    recorder.record(call);
    const long delay = recorder.value("delayUs", 0);
    if (delay > 0) usleep(static_cast<useconds_t>(delay));
}

CallScope::~CallScope() {
    Recorder::instance().leave();
}

}  // namespace testwave
