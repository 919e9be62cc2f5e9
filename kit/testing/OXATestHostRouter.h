// The clients' one listener and liblog's logger while test hosts live:
// hands each answer to the host whose client made it (by object id) and
// each log line to every host alive. Process-wide, made on first use and
// never destroyed, as the library expects of its listener: a module's thread
// may still answer while the program's statics are destroyed.
#ifndef OXA_TEST_HOST_ROUTER_H
#define OXA_TEST_HOST_ROUTER_H

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <mutex>
#include <vector>

#include "OXATestHostRecord.h"
#include "OXAUserListener.h"

namespace android {

class OXATestHostRouter : public OXAUserListener {
public:
    // Installs itself as the clients' listener and as liblog's logger the
    // first time.
    static OXATestHostRouter& instance();

    void add(const std::shared_ptr<OXATestHostRecord>& record);
    void remove(const OXATestHostRecord* record);

    void notify(int32_t msgType, int32_t ext1, int32_t ext2, const char* str) override;
    void notifyDataCallback(int32_t ext1, int32_t ext2, size_t size, const void* data) override;
    void log(const OXATestLogLine& line);

private:
    OXATestHostRouter() = default;
    // Copies of the records of the clients with `objectId`, or of every
    // record, so that none is called with the lock held.
    std::vector<std::shared_ptr<OXATestHostRecord>> recordsOf(int32_t objectId);
    std::vector<std::shared_ptr<OXATestHostRecord>> allRecords();

    std::mutex mLock;
    std::vector<std::shared_ptr<OXATestHostRecord>> mRecords;
};

}  // namespace android

#endif  // OXA_TEST_HOST_ROUTER_H
