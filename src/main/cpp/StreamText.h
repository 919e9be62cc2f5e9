// The text a version-1 module receives for a stream: "stream:<id>:" followed
// by every byte of the stream as two lower-case hex digits. The digits are
// written by the widest encoder the processor can run, into a buffer that is
// neither zero-filled nor, in the common case, freshly allocated.
#ifndef STREAM_TEXT_H
#define STREAM_TEXT_H

#include <stddef.h>

#include <vector>

class StreamText {
public:
    // Writes the 2 * `count` hex digits of `bytes` to `out` (no terminator).
    typedef void (*Encoder)(const unsigned char* bytes, size_t count, char* out);
    struct Variant {
        const char* name;
        Encoder encode;
    };

    StreamText();
    ~StreamText();

    // Builds the text of `streamLen` bytes at `stream` (none when the length
    // is not positive). False when the text does not fit in memory.
    bool build(const void* stream, long streamLen, int id);
    // The text of the last successful build, terminated; valid until the next
    // build or the end of this object.
    const char* c_str() const { return mText; }
    size_t size() const { return mSize; }

    // The table loop: the fallback and the reference of the others.
    static void encodeReference(const unsigned char* bytes, size_t count, char* out);
    // The encoder build() uses on this processor.
    static Encoder encoder();
    // Every encoder this processor can run, the reference first.
    static std::vector<Variant> variants();

private:
    StreamText(const StreamText&);
    StreamText& operator=(const StreamText&);

    // The buffer and its capacity; owned by this object.
    char* mText;
    size_t mCapacity;
    size_t mSize;
};

#endif  // STREAM_TEXT_H
