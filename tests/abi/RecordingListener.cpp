#include "RecordingListener.h"

#include <ostream>

void PrintTo(const Notice& notice, std::ostream* os) {
    *os << (notice.isData ? "data" : "text") << "(" << notice.msgType << ", " << notice.ext1 << ", "
        << notice.ext2 << ", ";
    if (notice.isData) {
        for (unsigned char byte : notice.payload) *os << std::hex << static_cast<int>(byte) << " ";
        *os << std::dec << ")";
    } else {
        *os << "\"" << notice.payload << "\")";
    }
}

void RecordingListener::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    std::lock_guard<std::mutex> lock(mLock);
    mNotices.push_back(Notice{false, msgType, ext1, ext2, str != nullptr ? str : "(null)"});
}

void RecordingListener::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                           const void* data) {
    std::lock_guard<std::mutex> lock(mLock);
    const char* bytes = static_cast<const char*>(data);
    mNotices.push_back(Notice{true, 1122, ext1, ext2, std::string(bytes, bytes + size)});
}

std::vector<Notice> RecordingListener::notices() const {
    std::lock_guard<std::mutex> lock(mLock);
    return mNotices;
}

void RecordingListener::clear() {
    std::lock_guard<std::mutex> lock(mLock);
    mNotices.clear();
}
