#pragma once
// The table that tells the installer where its payload lies. The linked
// installer carries it with zero sizes; the payload tool finds it by its
// marker, fills it in and appends the six files behind the image.
#include <cstdint>

constexpr int kPayloadFiles = 6;

// The six files in the order they are appended.
constexpr const char* kPayloadNames[kPayloadFiles] = {"Tessmorel.exe", "UnInstall.exe", "Readme.txt",
                                                       "License.txt",   "Tessmorel.hlp", "LANGUAGE.INI"};

// Sixteen bytes that occur once in the installer image: the start of the
// table. Written as characters, not a string literal, so that the compiler
// keeps no second copy.
#define ZRV_PAYLOAD_MARKER \
    { '\xD3', 'Z', 'r', 'v', 'T', 'e', 's', 's', 'P', 'a', 'y', 'l', 'o', 'a', 'd', '\x7E' }

struct TPayloadTable {
    char Marker[16];
    std::uint32_t ImageSize;              // bytes of the installer image before the payload
    std::uint32_t Offset[kPayloadFiles];  // from the start of the payload
    std::uint32_t Size[kPayloadFiles];
    std::uint32_t Total;  // bytes of the payload
};

// Whether a table describes six files laid end to end that fill the payload.
inline bool PayloadTableValid(const TPayloadTable& t) {
    std::uint64_t at = 0;
    for (int i = 0; i < kPayloadFiles; ++i) {
        if (t.Offset[i] != at) return false;
        at += t.Size[i];
    }
    return t.ImageSize > 0 && at == t.Total && t.ImageSize + at <= 0x7FFFFFFFu;
}
