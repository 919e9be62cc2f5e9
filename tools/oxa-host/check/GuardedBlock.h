// A block of memory that ends right before an inaccessible page, so that a
// module reading or writing past its end faults at once; poison() makes the
// whole block inaccessible, so that a pointer kept past the call faults at
// its first use. The pages stay mapped (and poisoned) until the process ends.
#ifndef OXA_HOST_GUARDED_BLOCK_H
#define OXA_HOST_GUARDED_BLOCK_H

#include <stddef.h>

namespace oxahost {

class GuardedBlock {
public:
    explicit GuardedBlock(size_t size);

    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;

    // Null when the pages cannot be mapped.
    unsigned char* data() const { return mData; }
    size_t size() const { return mSize; }
    void poison();

private:
    void* mPages;
    size_t mPagesSize;
    unsigned char* mData;
    size_t mSize;
};

}  // namespace oxahost

#endif  // OXA_HOST_GUARDED_BLOCK_H
