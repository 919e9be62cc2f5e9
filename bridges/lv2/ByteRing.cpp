#include "ByteRing.h"

#include <string.h>

namespace wavelv2 {

ByteRing::ByteRing(size_t capacity) : mBytes(capacity) {}

void ByteRing::copyIn(uint64_t position, const void* data, size_t size) {
    const size_t start = static_cast<size_t>(position % mBytes.size());
    const size_t first = size < mBytes.size() - start ? size : mBytes.size() - start;
    memcpy(&mBytes[start], data, first);
    memcpy(&mBytes[0], static_cast<const uint8_t*>(data) + first, size - first);
}

void ByteRing::copyOut(uint64_t position, void* out, size_t size) const {
    const size_t start = static_cast<size_t>(position % mBytes.size());
    const size_t first = size < mBytes.size() - start ? size : mBytes.size() - start;
    memcpy(out, &mBytes[start], first);
    memcpy(static_cast<uint8_t*>(out) + first, &mBytes[0], size - first);
}

bool ByteRing::write(const void* data, uint32_t size) {
    if (size == 0) return false;
    const uint64_t write = mWrite.load(std::memory_order_relaxed);
    const uint64_t used = write - mRead.load(std::memory_order_acquire);
    if (used + sizeof(size) + size > mBytes.size()) return false;
    copyIn(write, &size, sizeof(size));
    copyIn(write + sizeof(size), data, size);
    mWrite.store(write + sizeof(size) + size, std::memory_order_release);
    return true;
}

uint32_t ByteRing::peekSize() const {
    const uint64_t read = mRead.load(std::memory_order_relaxed);
    if (read == mWrite.load(std::memory_order_acquire)) return 0;
    uint32_t size = 0;
    copyOut(read, &size, sizeof(size));
    return size;
}

uint32_t ByteRing::read(void* out, uint32_t room) {
    const uint32_t size = peekSize();
    if (size == 0 || size > room) return 0;
    const uint64_t read = mRead.load(std::memory_order_relaxed);
    copyOut(read + sizeof(size), out, size);
    mRead.store(read + sizeof(size) + size, std::memory_order_release);
    return size;
}

void ByteRing::clear() {
    mRead.store(mWrite.load(std::memory_order_acquire), std::memory_order_release);
}

}  // namespace wavelv2
