#include "AnswerLog.h"

#include <string.h>

#include "ModifiedUtf8Scan.h"
#include "RealtimeProbe.h"

namespace oxahost {

namespace {
const size_t kKeptInvalid = 4;
const size_t kShownChars = 40;
// The start of `text` with every byte that is not printable ASCII as \xNN.
std::string readable(const char* text) {
    std::string shown;
    for (size_t i = 0; text[i] != 0 && i < kShownChars; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            shown += "\\x";
            shown += kHex[c >> 4];
            shown += kHex[c & 0xf];
        }
    }
    return shown;
}

// The client the calling thread is commanding; 0 when none.
thread_local int32_t tCommandedObject = 0;

}  // namespace

AnswerLog::Commanding::Commanding(int32_t objectId) : mOuter(tCommandedObject) {
    tCommandedObject = objectId;
}

AnswerLog::Commanding::~Commanding() {
    tCommandedObject = mOuter;
}

bool AnswerLog::onCommandingThread() {
    return tCommandedObject != 0;
}

void AnswerLog::notify(int32_t /*msgType*/, int32_t ext1, int32_t ext2, const char* str) {
    RealtimeProbe::noteAnswer();
    long offset = -1;
    if (str != nullptr) offset = ModifiedUtf8Scan::firstInvalid(str);
    std::lock_guard<std::mutex> lock(mLock);
    record();
    checkRoute(ext2, str);
    if (offset >= 0 && mInvalid.size() < kKeptInvalid) {
        mInvalid.push_back({readable(str), offset, ext1});
    }
}

void AnswerLog::notifyDataCallback(int32_t, int32_t ext2, size_t, const void*) {
    RealtimeProbe::noteAnswer();
    std::lock_guard<std::mutex> lock(mLock);
    record();
    checkRoute(ext2, nullptr);
}

void AnswerLog::checkRoute(int32_t objectId, const char* text) {
    if (tCommandedObject == 0 || objectId == tCommandedObject) return;
    ++mMisroutedCount;
    if (mMisrouted.size() < kKeptInvalid) {
        mMisrouted.push_back({text != nullptr ? readable(text) : "", tCommandedObject, objectId});
    }
}

std::vector<AnswerLog::Misrouted> AnswerLog::misrouted() {
    std::lock_guard<std::mutex> lock(mLock);
    return mMisrouted;
}

long AnswerLog::misroutedCount() {
    std::lock_guard<std::mutex> lock(mLock);
    return mMisroutedCount;
}

void AnswerLog::record() {
    ++mCounts[mPhase];
}

void AnswerLog::setPhase(Phase phase) {
    std::lock_guard<std::mutex> lock(mLock);
    mPhase = phase;
}

long AnswerLog::count(Phase phase) {
    std::lock_guard<std::mutex> lock(mLock);
    return mCounts[phase];
}

long AnswerLog::total() {
    std::lock_guard<std::mutex> lock(mLock);
    return mCounts[0] + mCounts[1] + mCounts[2];
}

std::vector<AnswerLog::Invalid> AnswerLog::invalidTexts() {
    std::lock_guard<std::mutex> lock(mLock);
    return mInvalid;
}

}  // namespace oxahost
