#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "Adler32.h"

namespace {

// The definition, reduced after every byte: slow, but obviously right.
uint32_t referenceAdler32(const std::vector<uint8_t>& bytes) {
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

TEST(Adler32, OfNothingIsOne) {
    EXPECT_EQ(1u, wavedemo::adler32(nullptr, 0));
}

TEST(Adler32, MatchesTheKnownValueOfWikipedia) {
    const char text[] = "Wikipedia";
    EXPECT_EQ(0x11E60398u, wavedemo::adler32(text, strlen(text)));
}

TEST(Adler32, StaysExactOverLongRunsOfHighBytes) {
    // 0xff bytes make the sums grow fastest: a run too long between
    // reductions would overflow and differ from the reference.
    const std::vector<uint8_t> bytes(1 << 20, 0xff);
    EXPECT_EQ(referenceAdler32(bytes), wavedemo::adler32(bytes.data(), bytes.size()));
}

TEST(Adler32, MatchesTheReferenceForLengthsAroundTheRunSize) {
    for (size_t length : {5551u, 5552u, 5553u, 11104u, 11105u}) {
        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
        EXPECT_EQ(referenceAdler32(bytes), wavedemo::adler32(bytes.data(), bytes.size()))
            << "length " << length;
    }
}

}  // namespace
