// A single-producer, single-consumer ring of length-prefixed messages, for
// handing bytes between the audio thread and the module's other threads:
// writes and reads copy into and out of a buffer allocated at construction,
// with one atomic store each; no lock, no allocation, no system call.
#ifndef WAVE_LV2_BYTE_RING_H
#define WAVE_LV2_BYTE_RING_H

#include <stddef.h>
#include <stdint.h>

#include <atomic>
#include <vector>

namespace wavelv2 {

class ByteRing {
public:
    // `capacity` bytes of messages and their 4-byte length prefixes.
    explicit ByteRing(size_t capacity);

    ByteRing(const ByteRing&) = delete;
    ByteRing& operator=(const ByteRing&) = delete;

    // Producer: queues `size` bytes (1 or more) as one message; false when
    // they do not fit.
    bool write(const void* data, uint32_t size);
    // Consumer: the size of the next message, or 0 when there is none.
    uint32_t peekSize() const;
    // Consumer: moves the next message into `out` (at least peekSize() bytes)
    // and returns its size; 0 when there is none.
    uint32_t read(void* out, uint32_t room);
    // Consumer: drops every queued message.
    void clear();

private:
    void copyIn(uint64_t position, const void* data, size_t size);
    void copyOut(uint64_t position, void* out, size_t size) const;

    std::vector<uint8_t> mBytes;
    std::atomic<uint64_t> mWrite{0};
    std::atomic<uint64_t> mRead{0};
};

}  // namespace wavelv2

#endif  // WAVE_LV2_BYTE_RING_H
