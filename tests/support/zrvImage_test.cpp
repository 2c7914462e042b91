#include <gtest/gtest.h>

#include <string>

#include "zrvImage.h"

TEST(SniffImageTypeTest, LooksOnlyAtBytesThatAreThere) {
    auto kind = [](const std::string& s) {
        return SniffImageType(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    EXPECT_EQ(kind(""), ikUnknown);
    EXPECT_EQ(kind("BM"), ikBitmap);
    EXPECT_EQ(kind("GIF"), ikGIF);
    EXPECT_EQ(kind("gif89a"), ikUnknown);
    EXPECT_EQ(kind(std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10)), ikJPEG);
    EXPECT_EQ(kind(std::string("\xFF\xD8\xFF\xE0\x00\x10JFI", 9)), ikUnknown);
    EXPECT_EQ(kind(std::string("\xFF\xD8\xFF\xE1\x00\x10" "Exif", 10)), ikUnknown);
    EXPECT_EQ(kind("BMxxxxJFIF"), ikBitmap);  // the first test that holds wins
}
