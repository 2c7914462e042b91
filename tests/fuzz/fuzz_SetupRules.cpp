// Fuzzes the uninstall batch builder and the folder rules: whatever the
// folders, the batch names no root or relative folder, every "%" of a path
// stands for itself, lines end in CR LF and the self-delete loop is bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "SetupRules.h"

namespace {

void Require(bool ok) {
    if (!ok) std::abort();
}

// The quoted argument of a line, with "%%" turned back into "%".
std::wstring Quoted(const std::wstring& line) {
    const size_t a = line.find(L'"'), b = line.rfind(L'"');
    Require(a != std::wstring::npos && b > a);
    std::wstring path;
    for (size_t i = a + 1; i < b; ++i) {
        path += line[i];
        if (line[i] == L'%') {
            Require(i + 1 < b && line[i + 1] == L'%');
            ++i;
        }
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Three folders split at NUL bytes; a byte 0xFF takes the next two as
    // one character beyond the single-byte range.
    std::vector<std::wstring> parts(3);
    size_t p = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && p < 2) {
            ++p;
            continue;
        }
        if (data[i] == 0xFF && i + 2 < size) {
            parts[p] += static_cast<wchar_t>(data[i + 1] << 8 | data[i + 2]);
            i += 2;
            continue;
        }
        parts[p] += static_cast<wchar_t>(data[i]);
    }
    if (IsProductFolder(parts[0])) Require(IsRemovableFolder(parts[0]) && IsAbsolutePath(parts[0]));
    std::vector<std::wstring> prefixes;
    SplitPrefixes(parts[0], L"\\", prefixes);
    Require(!prefixes.empty() && prefixes.back() == parts[0]);

    const std::wstring text = BuildUninstallBatch({parts[0], parts[1], parts[2]});
    if (text.empty()) {
        Require(!IsAbsolutePath(parts[0]));
        return 0;
    }
    Require(text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0);
    bool bounded = false;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L"\r\n", start);
        Require(end != std::wstring::npos);
        const std::wstring line = text.substr(start, end - start);
        Require(line.find(L'\r') == std::wstring::npos && line.find(L'\n') == std::wstring::npos);
        start = end + 2;
        if (line == L"if %ZARVO_TRIES% GEQ 30 goto :delled") bounded = true;
        if (line == L"goto :delself") Require(bounded);
        if (line.compare(0, 3, L"rd ") == 0) Require(IsRemovableFolder(Quoted(line)));
        if (line.compare(0, 4, L"del ") == 0 && line.find(L'"') != std::wstring::npos) {
            const std::wstring path = Quoted(line);
            const std::wstring folder = path.substr(0, path.rfind(L'\\'));
            Require(IsAbsolutePath(folder + L"\\"));
            // Only named files: a wildcard would take the user's files too.
            Require(path.find(L'*') == std::wstring::npos && path.find(L'?') == std::wstring::npos);
        }
    }
    Require(bounded);
    return 0;
}
