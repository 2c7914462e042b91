#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>
class TIniSection {
public:
    const std::vector<std::pair<std::string, std::string>>& Entries() const { return FEntries; }
    bool Find(const std::string& key, std::string& value) const;
    std::string ReadString(const std::string& key, const std::string& def) const {
        std::string v;
        return Find(key, v) ? v : def;
    }
    std::vector<std::string> KeyNamesWithin(std::size_t bufferBytes) const;
    std::vector<std::pair<std::string, std::string>> FEntries;
};
bool ReadIniSection(const std::string& fileName, const std::string& section, TIniSection& out);
