// Stands in for the Java listener: keeps every notification a client hands
// on, so a test sees which client slot a module's answer reached.
#ifndef OVIK_ABI_RECORDING_LISTENER_H
#define OVIK_ABI_RECORDING_LISTENER_H

#include <mutex>
#include <string>
#include <vector>

#include "OXAUserListener.h"

struct Notice {
    bool isData;
    int32_t msgType;  // 1122 for data, as the Java side receives it
    int32_t ext1;
    int32_t ext2;
    std::string payload;  // the text, or the data bytes

    bool operator==(const Notice& other) const {
        return isData == other.isData && msgType == other.msgType && ext1 == other.ext1 &&
               ext2 == other.ext2 && payload == other.payload;
    }
};

void PrintTo(const Notice& notice, std::ostream* os);

class RecordingListener : public android::OXAUserListener {
public:
    void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) override;

    std::vector<Notice> notices() const;
    void clear();

private:
    mutable std::mutex mLock;
    std::vector<Notice> mNotices;
};

#endif  // OVIK_ABI_RECORDING_LISTENER_H
