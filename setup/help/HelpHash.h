// The hash a WinHelp 3.1 file keeps for a context name. Shared by the help
// writer and the test tool that reads the file back.
#pragma once
#include <cstdint>
#include <string>

inline std::uint32_t ContextHash(const std::string& name) {
    std::uint32_t hash = 0;
    for (unsigned char c : name) {
        unsigned x = 0;
        if (c >= 'A' && c <= 'Z') x = c - 'A' + 17;
        else if (c >= 'a' && c <= 'z') x = c - 'a' + 17;
        else if (c >= '1' && c <= '9') x = c - '0';
        else if (c == '0') x = 10;
        else if (c == '.') x = 12;
        else if (c == '_') x = 13;
        if (x) hash = hash * 43 + x;
    }
    return hash;
}
