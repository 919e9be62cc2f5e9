#include "GuardedBlock.h"

#include <sys/mman.h>
#include <unistd.h>

namespace oxahost {

GuardedBlock::GuardedBlock(size_t size)
    : mPages(nullptr), mPagesSize(0), mData(nullptr), mSize(size) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t dataPages = (size + page - 1) / page;
    mPagesSize = (dataPages + 1) * page;
    void* pages =
        mmap(nullptr, mPagesSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) return;
    mPages = pages;
    unsigned char* guard = static_cast<unsigned char*>(pages) + dataPages * page;
    mprotect(guard, page, PROT_NONE);
    mData = guard - size;
}

void GuardedBlock::poison() {
    if (mPages != nullptr) mprotect(mPages, mPagesSize, PROT_NONE);
}

}  // namespace oxahost
