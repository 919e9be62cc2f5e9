// A block of bytes of fixed size that a request hands from a module to Java.
// Always held by a shared pointer; the block lives as long as the last holder.
#ifndef OXA_MEMORY_HEAP_H
#define OXA_MEMORY_HEAP_H

#include <stddef.h>
#include <string.h>

#include <exception>
#include <memory>
#include <new>

namespace android {

class OxaMemoryHeap {
public:
    // Allocates nothing yet; a negative size is the caller's fault and is
    // refused before a heap is made.
    explicit OxaMemoryHeap(int size) : mSize(static_cast<size_t>(size)), mBase(nullptr) {}
    virtual ~OxaMemoryHeap() { delete[] mBase; }

    OxaMemoryHeap(const OxaMemoryHeap&) = delete;
    OxaMemoryHeap& operator=(const OxaMemoryHeap&) = delete;

    // The block, allocated (uninitialised) on first call; null when it cannot
    // be allocated.
    void* getBase() {
        if (mBase == nullptr) mBase = new (std::nothrow) char[mSize];
        return mBase;
    }
    size_t getSize() const { return mSize; }

    // A heap of `size` bytes, allocated and zero-filled; empty when it
    // cannot be allocated.
    static std::shared_ptr<OxaMemoryHeap> makeZeroed(int size) {
        std::shared_ptr<OxaMemoryHeap> heap;
        try {
            heap = std::make_shared<OxaMemoryHeap>(size);
        } catch (const std::exception&) {
            return nullptr;
        }
        void* base = heap->getBase();
        if (base == nullptr) return nullptr;
        memset(base, 0, heap->getSize());
        return heap;
    }

private:
    size_t mSize;
    char* mBase;
};

}  // namespace android

#endif  // OXA_MEMORY_HEAP_H
