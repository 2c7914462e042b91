#pragma once
// The kind of picture a byte string holds, from its first bytes.
#include <cstddef>
#include <cstdint>

enum TImageKind { ikUnknown = 0, ikBitmap = 1, ikGIF = 2, ikJPEG = 3 };

// "BM" at 0 is a bitmap, "GIF" at 0 a GIF, "JFIF" at 6 a JPEG (tested in that
// order, case-sensitive); bytes that are not there fail a test.
int SniffImageType(const std::uint8_t* data, std::size_t size);
