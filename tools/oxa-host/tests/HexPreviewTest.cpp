#include <gtest/gtest.h>

#include "HexPreview.h"

namespace {

using oxahost::hexPreview;

TEST(HexPreview, ShowsEveryByteAsLowerCaseHexPairs) {
    const unsigned char bytes[] = {0x00, 0xab, 0x7f, 0xff};
    EXPECT_EQ("00 ab 7f ff", hexPreview(bytes, sizeof(bytes), 16));
}

TEST(HexPreview, CutsAfterTheMaximumAndSaysSo) {
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    EXPECT_EQ("01 02 03 ...", hexPreview(bytes, sizeof(bytes), 3));
}

TEST(HexPreview, IsEmptyForNoBytesOrNoData) {
    const unsigned char bytes[] = {1};
    EXPECT_EQ("", hexPreview(bytes, 0, 16));
    EXPECT_EQ("", hexPreview(nullptr, 8, 16));
}

}  // namespace
