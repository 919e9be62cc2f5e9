#include "OXATestHostRouter.h"

#include <android/log.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <thread>

#include "OXAClient.h"

namespace android {

namespace {

// liblog's logger: every line the library writes in this process.
void routeLogLine(const struct __android_logger_data* data, const char* message) {
    OXATestHostRouter::instance().log(OXATestLogLine{
        data->priority, data->tag != nullptr ? data->tag : "", message != nullptr ? message : ""});
    static const bool echo = getenv("OVIK_TEST_LOG") != nullptr;
    if (echo) __android_log_stderr_logger(data, message);
}

}  // namespace

OXATestHostRouter& OXATestHostRouter::instance() {
    static OXATestHostRouter* router = [] {
        OXATestHostRouter* made = new OXATestHostRouter();
        OXAClient::setListener(made);
        __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
        __android_log_set_logger(routeLogLine);
        return made;
    }();
    return *router;
}

void OXATestHostRouter::add(const std::shared_ptr<OXATestHostRecord>& record) {
    std::lock_guard<std::mutex> lock(mLock);
    mRecords.push_back(record);
}

void OXATestHostRouter::remove(const OXATestHostRecord* record) {
    std::lock_guard<std::mutex> lock(mLock);
    mRecords.erase(std::remove_if(mRecords.begin(), mRecords.end(),
                                  [record](const std::shared_ptr<OXATestHostRecord>& kept) {
                                      return kept.get() == record;
                                  }),
                   mRecords.end());
}

std::vector<std::shared_ptr<OXATestHostRecord>> OXATestHostRouter::recordsOf(int32_t objectId) {
    std::vector<std::shared_ptr<OXATestHostRecord>> found;
    std::lock_guard<std::mutex> lock(mLock);
    for (const std::shared_ptr<OXATestHostRecord>& record : mRecords) {
        if (record->objectId() == objectId) found.push_back(record);
    }
    return found;
}

std::vector<std::shared_ptr<OXATestHostRecord>> OXATestHostRouter::allRecords() {
    std::lock_guard<std::mutex> lock(mLock);
    return mRecords;
}

void OXATestHostRouter::notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) {
    const OXATestAnswer answer{
        false,          msgType,        ext1,          ext2,
        str != nullptr, str ? str : "", std::string(), std::this_thread::get_id()};
    for (const std::shared_ptr<OXATestHostRecord>& record : recordsOf(ext2)) {
        record->addAnswer(answer);
    }
}

void OXATestHostRouter::notifyDataCallback(int32_t ext1, int32_t ext2, size_t size,
                                           const void* data) {
    const OXATestAnswer answer{
        true,
        0,
        ext1,
        ext2,
        false,
        std::string(),
        data != nullptr ? std::string(static_cast<const char*>(data), size) : std::string(),
        std::this_thread::get_id()};
    for (const std::shared_ptr<OXATestHostRecord>& record : recordsOf(ext2)) {
        record->addAnswer(answer);
    }
}

void OXATestHostRouter::log(const OXATestLogLine& line) {
    for (const std::shared_ptr<OXATestHostRecord>& record : allRecords()) {
        record->addLogLine(line);
    }
}

}  // namespace android
