#include "StreamText.h"

#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <new>

#include "OvikAutoLock.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define STREAM_TEXT_X86 1
#elif defined(__aarch64__)
#include <arm_neon.h>
#define STREAM_TEXT_NEON 1
#elif defined(__arm__) && defined(__linux__) && defined(__GNUC__)
#include <sys/auxv.h>
// The 32-bit ARM baseline (vfpv3-d16) has no NEON: the encoder below is
// compiled for it on its own and chosen only when the kernel reports NEON.
#pragma GCC push_options
#pragma GCC target("fpu=neon")
#include <arm_neon.h>
#pragma GCC pop_options
#define STREAM_TEXT_NEON 1
#define STREAM_TEXT_NEON_AT_RUN_TIME 1
#ifndef HWCAP_NEON
#define HWCAP_NEON (1 << 12)
#endif
#endif

namespace {

const char kHexDigits[] = "0123456789abcdef";

// Two lower-case hex digits for every byte value, so the reference reads the
// table once per byte.
struct HexTable {
    char digits[512];
    HexTable() {
        for (int byte = 0; byte < 256; ++byte) {
            digits[2 * byte] = kHexDigits[byte >> 4];
            digits[2 * byte + 1] = kHexDigits[byte & 0xf];
        }
    }
};

const HexTable& hexTable() {
    static const HexTable table;
    return table;
}

// The largest buffer kept for the next stream once its text is done: the
// text of a 2 MiB stream. Larger texts are freed, so one large stream does
// not pin its memory for the life of the process.
const size_t kKeptCapacity = (4u << 20) + 64;

// One spare buffer for the whole process. A stream takes it, or allocates
// when another stream holds it, and puts its own back when done.
pthread_mutex_t sSpareLock = PTHREAD_MUTEX_INITIALIZER;
char* sSpare = nullptr;
size_t sSpareCapacity = 0;

#if defined(STREAM_TEXT_X86)

// 16 bytes to 32 digits: each nibble picks its digit with one byte shuffle,
// and the high and low digits are interleaved.
__attribute__((target("ssse3"))) void encodeSsse3(const unsigned char* bytes, size_t count,
                                                  char* out) {
    const __m128i digits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kHexDigits));
    const __m128i nibble = _mm_set1_epi8(0x0f);
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i high = _mm_shuffle_epi8(digits, _mm_and_si128(_mm_srli_epi16(in, 4), nibble));
        const __m128i low = _mm_shuffle_epi8(digits, _mm_and_si128(in, nibble));
        __m128i* to = reinterpret_cast<__m128i*>(out + 2 * i);
        _mm_storeu_si128(to, _mm_unpacklo_epi8(high, low));
        _mm_storeu_si128(to + 1, _mm_unpackhi_epi8(high, low));
    }
    StreamText::encodeReference(bytes + i, count - i, out + 2 * i);
}

// 32 bytes to 64 digits. The interleave works within each 128-bit lane, so
// the lanes are put back in order before the stores.
__attribute__((target("avx2"))) void encodeAvx2(const unsigned char* bytes, size_t count,
                                                char* out) {
    const __m256i digits =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kHexDigits)));
    const __m256i nibble = _mm256_set1_epi8(0x0f);
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        const __m256i high =
            _mm256_shuffle_epi8(digits, _mm256_and_si256(_mm256_srli_epi16(in, 4), nibble));
        const __m256i low = _mm256_shuffle_epi8(digits, _mm256_and_si256(in, nibble));
        const __m256i first = _mm256_unpacklo_epi8(high, low);   // bytes 0-7, 16-23
        const __m256i second = _mm256_unpackhi_epi8(high, low);  // bytes 8-15, 24-31
        __m256i* to = reinterpret_cast<__m256i*>(out + 2 * i);
        _mm256_storeu_si256(to, _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_storeu_si256(to + 1, _mm256_permute2x128_si256(first, second, 0x31));
    }
    encodeSsse3(bytes + i, count - i, out + 2 * i);
}

bool hasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}

bool hasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#endif  // STREAM_TEXT_X86

#if defined(STREAM_TEXT_NEON)

#if defined(STREAM_TEXT_NEON_AT_RUN_TIME)
#pragma GCC push_options
#pragma GCC target("fpu=neon")
#endif

// 16 bytes to 32 digits: two 8-byte table lookups per half, and an
// interleaving store.
void encodeNeon(const unsigned char* bytes, size_t count, char* out) {
    uint8x8x2_t digits;
    digits.val[0] = vld1_u8(reinterpret_cast<const uint8_t*>(kHexDigits));
    digits.val[1] = vld1_u8(reinterpret_cast<const uint8_t*>(kHexDigits) + 8);
    const uint8x16_t nibble = vdupq_n_u8(0x0f);
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const uint8x16_t in = vld1q_u8(bytes + i);
        const uint8x16_t high = vshrq_n_u8(in, 4);
        const uint8x16_t low = vandq_u8(in, nibble);
        uint8x16x2_t pairs;
        pairs.val[0] =
            vcombine_u8(vtbl2_u8(digits, vget_low_u8(high)), vtbl2_u8(digits, vget_high_u8(high)));
        pairs.val[1] =
            vcombine_u8(vtbl2_u8(digits, vget_low_u8(low)), vtbl2_u8(digits, vget_high_u8(low)));
        vst2q_u8(reinterpret_cast<uint8_t*>(out + 2 * i), pairs);
    }
    StreamText::encodeReference(bytes + i, count - i, out + 2 * i);
}

#if defined(STREAM_TEXT_NEON_AT_RUN_TIME)
#pragma GCC pop_options
#endif

bool hasNeon() {
#if defined(STREAM_TEXT_NEON_AT_RUN_TIME)
    return (getauxval(AT_HWCAP) & HWCAP_NEON) != 0;
#else
    return true;
#endif
}

#endif  // STREAM_TEXT_NEON

StreamText::Encoder chooseEncoder() {
#if defined(STREAM_TEXT_X86)
    if (hasAvx2()) return encodeAvx2;
    if (hasSsse3()) return encodeSsse3;
#elif defined(STREAM_TEXT_NEON)
    if (hasNeon()) return encodeNeon;
#endif
    return StreamText::encodeReference;
}

}  // namespace

StreamText::StreamText() : mText(nullptr), mCapacity(0), mSize(0) {
    android::OvikAutoLock lock(&sSpareLock);
    mText = sSpare;
    mCapacity = sSpareCapacity;
    sSpare = nullptr;
    sSpareCapacity = 0;
}

StreamText::~StreamText() {
    if (mText == nullptr) return;
    if (mCapacity > kKeptCapacity) {
        delete[] mText;
        return;
    }
    char* replaced = nullptr;
    {
        android::OvikAutoLock lock(&sSpareLock);
        replaced = sSpare;
        sSpare = mText;
        sSpareCapacity = mCapacity;
    }
    delete[] replaced;
}

bool StreamText::build(const void* stream, long streamLen, int id) {
    char header[30];
    const int printed = snprintf(header, sizeof(header), "stream:%d:", id);
    const size_t headerLen = printed > 0 ? static_cast<size_t>(printed) : 0;
    const size_t byteCount = streamLen > 0 ? static_cast<size_t>(streamLen) : 0;
    // The same bound as a string's largest size, so the same streams fit.
    const size_t maxSize = (static_cast<size_t>(PTRDIFF_MAX) - 1) / 2;
    if (byteCount > (maxSize - headerLen) / 2) return false;
    const size_t size = headerLen + 2 * byteCount;
    if (size + 1 > mCapacity) {
        delete[] mText;
        mCapacity = 0;
        mSize = 0;
        mText = new (std::nothrow) char[size + 1];
        if (mText == nullptr) return false;
        mCapacity = size + 1;
    }
    memcpy(mText, header, headerLen);
    encoder()(static_cast<const unsigned char*>(stream), byteCount, mText + headerLen);
    mText[size] = '\0';
    mSize = size;
    return true;
}

void StreamText::encodeReference(const unsigned char* bytes, size_t count, char* out) {
    const char* digits = hexTable().digits;
    for (size_t i = 0; i < count; ++i) {
        memcpy(out, digits + 2 * bytes[i], 2);
        out += 2;
    }
}

StreamText::Encoder StreamText::encoder() {
    static const Encoder chosen = chooseEncoder();
    return chosen;
}

std::vector<StreamText::Variant> StreamText::variants() {
    std::vector<Variant> all{{"reference", encodeReference}};
#if defined(STREAM_TEXT_X86)
    if (hasSsse3()) all.push_back({"ssse3", encodeSsse3});
    if (hasAvx2()) all.push_back({"avx2", encodeAvx2});
#elif defined(STREAM_TEXT_NEON)
    if (hasNeon()) all.push_back({"neon", encodeNeon});
#endif
    return all;
}
