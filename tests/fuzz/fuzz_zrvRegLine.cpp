// Fuzz target for the registry-file line parser and the line writer.
//
// 1. The input, split into lines at LF (CR and NUL stay inside lines), is
//    read item by item as the importer reads it; every call must move on,
//    stay inside the text and give a well-formed item.
// 2. The input, split at 0xFF bytes into a name, a data text and a key path,
//    is written as string, DWORD, binary and section lines, which must read
//    back as exactly what was written; so must a typed hex line of a type
//    taken from the data's first bytes.

#include "zrvRegLine.h"
#include "zrvString.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string CStr(const std::string& s) { return s.substr(0, s.find('\0')); }

bool NoBlanks(const std::string& s) { return s.find(' ') == std::string::npos; }

void ParseAnything(const std::vector<std::string>& lines) {
    TImportInfo info;
    std::size_t index = 0;
    std::size_t items = 0;
    while (true) {
        const std::size_t before = index;
        if (!ParseRegLine(index, lines, info)) {
            Check(index == lines.size());
            break;
        }
        ++items;
        Check(index > before && index <= lines.size());
        Check(info.Kind >= rikString && info.Kind <= rikRefused);
        if (info.Kind == rikRefused) continue;
        Check(info.KeyValid);
        Check(!RegRootName(info.RootKey).empty());
        // Lines are read up to their first NUL.
        Check(info.KeyPath.find('\0') == std::string::npos);
        if (info.Kind != rikKey) {
            Check(info.ValueName.find('\0') == std::string::npos);
            Check(info.Data.find('\0') == std::string::npos);
        }
        // A hex list that is read is pairs of digits and commas only.
        if (info.Kind == rikBinary) {
            Check(NoBlanks(info.Data) && info.Data.find('\\') == std::string::npos);
            Check(info.Data.find_first_not_of("0123456789ABCDEFabcdef,") == std::string::npos);
            Check(info.Data.find(",,") == std::string::npos && (info.Data.size() + 1) % 3 != 2);
        }
        if (info.Kind == rikDword) Check(!info.Data.empty() && info.Data.size() <= 8);
    }
    Check(items <= lines.size());
}

// One value line under a section; returns the value item.
TImportInfo ReadBack(const std::string& line) {
    const std::vector<std::string> lines = {"[HKEY_CURRENT_USER\\Fuzz]", line};
    TImportInfo info;
    std::size_t index = 0;
    Check(ParseRegLine(index, lines, info) && info.Kind == rikKey);
    Check(ParseRegLine(index, lines, info) && index == 2);
    Check(info.RootKey == kRegRootFirst + 1 && info.KeyPath == "Fuzz");
    return info;
}

void RoundTrip(const std::string& name, const std::string& data, const std::string& path) {
    const std::string wantName = CStr(name);

    TImportInfo s = ReadBack(RegStringLine(name, data));
    Check(s.Kind == rikString && s.ValueName == wantName && s.Data == CStr(data));
    Check(UnescapeRegText(EscapeRegText(data)) == CStr(data));

    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size() && i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    TImportInfo d = ReadBack(RegDwordLine(name, value));
    Check(d.Kind == rikDword && d.ValueName == wantName && d.Data.size() == 8);
    Check(static_cast<std::uint32_t>(HexToInt(d.Data)) == value);

    TImportInfo b = ReadBack(RegBinaryLine(name, data.data(), data.size()));
    Check(b.Kind == rikBinary && b.ValueName == wantName);
    const std::vector<std::uint8_t> bytes(data.begin(), data.end());
    Check(HexToBytes(b.Data) == bytes);

    std::uint32_t type = 0;
    for (std::size_t i = 0; i < data.size() && i < 4; ++i) type = type << 8 | static_cast<unsigned char>(data[i]);
    TImportInfo t = ReadBack(RegHexLine(name, type, data.data(), data.size()));
    Check(t.Kind == rikBinary && t.DataType == type && t.ValueName == wantName && HexToBytes(t.Data) == bytes);

    // Key paths: anything but the line breaks and NULs no line can hold.
    if (path.find_first_of(std::string("\r\n\0", 3)) == std::string::npos) {
        const std::vector<std::string> lines = {RegSectionLine("HKEY_LOCAL_MACHINE\\" + path)};
        TImportInfo k;
        std::size_t index = 0;
        Check(ParseRegLine(index, lines, k) && k.Kind == rikKey);
        Check(k.RootKey == kRegRootFirst + 2 && k.KeyPath == path);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = input.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(input.substr(start));
            break;
        }
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    ParseAnything(lines);

    std::vector<std::string> fields(3);
    std::size_t k = 0;
    for (char c : input) {
        if (static_cast<unsigned char>(c) == 0xFF && k < 2)
            ++k;
        else
            fields[k] += c;
    }
    RoundTrip(fields[0], fields[1], fields[2]);
    return 0;
}
