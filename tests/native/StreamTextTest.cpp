// Every encoder of the stream text writes exactly the reference's digits, for
// every length from 0 to 257 bytes and at every alignment of its input and
// output, and nothing past them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StreamText.h"

namespace {

const size_t kMaxLength = 257;
const size_t kAlignments = 16;

}  // namespace

TEST(StreamTextTest, EveryEncoderMatchesTheReferenceAtEveryLengthAndAlignment) {
    std::vector<unsigned char> input(kMaxLength + kAlignments);
    for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<unsigned char>(i * 167 + 13);
    const std::vector<StreamText::Variant> variants = StreamText::variants();
    ASSERT_STREQ(variants.front().name, "reference");
    bool chosenIsListed = false;
    for (const StreamText::Variant& variant : variants) {
        chosenIsListed = chosenIsListed || variant.encode == StreamText::encoder();
        for (size_t align = 0; align < kAlignments; ++align) {
            for (size_t length = 0; length <= kMaxLength; ++length) {
                const unsigned char* bytes = input.data() + align;
                std::string expected(2 * length + kAlignments + 1, '#');
                std::string actual(expected);
                // The output starts at another offset than the input.
                const size_t outAlign = (align * 7 + 3) % kAlignments;
                StreamText::encodeReference(bytes, length, &expected[outAlign]);
                variant.encode(bytes, length, &actual[outAlign]);
                ASSERT_EQ(actual, expected)
                    << variant.name << ", " << length << " bytes at offset " << align;
            }
        }
    }
    EXPECT_TRUE(chosenIsListed);
    // The reference itself spells every byte value in lower case.
    unsigned char everyValue[256];
    std::string spelled;
    for (int value = 0; value < 256; ++value) {
        everyValue[value] = static_cast<unsigned char>(value);
        spelled += "0123456789abcdef"[value >> 4];
        spelled += "0123456789abcdef"[value & 0xf];
    }
    std::string referenceText(512, '#');
    StreamText::encodeReference(everyValue, 256, &referenceText[0]);
    EXPECT_EQ(referenceText, spelled);
}
