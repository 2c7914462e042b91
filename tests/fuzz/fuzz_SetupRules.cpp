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
std::string Quoted(const std::string& line) {
    const size_t a = line.find('"'), b = line.rfind('"');
    Require(a != std::string::npos && b > a);
    std::string path;
    for (size_t i = a + 1; i < b; ++i) {
        path += line[i];
        if (line[i] == '%') {
            Require(i + 1 < b && line[i + 1] == '%');
            ++i;
        }
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> parts(3);
    size_t p = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && p < 2) {
            ++p;
            continue;
        }
        parts[p] += static_cast<char>(data[i]);
    }
    if (IsProductFolder(parts[0])) Require(IsRemovableFolder(parts[0]) && IsAbsolutePath(parts[0]));
    std::vector<std::string> prefixes;
    SplitPrefixes(parts[0], "\\", prefixes);
    Require(!prefixes.empty() && prefixes.back() == parts[0]);

    const std::string text = BuildUninstallBatch({parts[0], parts[1], parts[2]});
    if (text.empty()) {
        Require(!IsAbsolutePath(parts[0]));
        return 0;
    }
    Require(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0);
    bool bounded = false;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        Require(end != std::string::npos);
        const std::string line = text.substr(start, end - start);
        Require(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos);
        start = end + 2;
        if (line == "if %ZARVO_TRIES% GEQ 30 goto :delled") bounded = true;
        if (line == "goto :delself") Require(bounded);
        if (line.compare(0, 3, "rd ") == 0) Require(IsRemovableFolder(Quoted(line)));
        if (line.compare(0, 4, "del ") == 0 && line.find('"') != std::string::npos) {
            const std::string path = Quoted(line);
            const std::string folder = path.substr(0, path.rfind('\\'));
            Require(IsAbsolutePath(folder + "\\"));
            // Only named files: a wildcard would take the user's files too.
            Require(path.find('*') == std::string::npos && path.find('?') == std::string::npos);
        }
    }
    Require(bounded);
    return 0;
}
