#include "zrvIniFile.h"
#include <fstream>
#include <sstream>
#include <strings.h>
static std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.pop_back();
    size_t i = 0; while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return s.substr(i);
}
bool TIniSection::Find(const std::string& key, std::string& value) const {
    for (auto& e : FEntries) if (strcasecmp(e.first.c_str(), key.c_str()) == 0) { value = e.second; return true; }
    return false;
}
std::vector<std::string> TIniSection::KeyNamesWithin(std::size_t bufferBytes) const {
    std::vector<std::string> r; size_t used = 1;
    for (auto& e : FEntries) { if (used + e.first.size() + 1 > bufferBytes) break; used += e.first.size() + 1; r.push_back(e.first); }
    return r;
}
bool ReadIniSection(const std::string& fileName, const std::string& section, TIniSection& out) {
    out.FEntries.clear();
    std::ifstream in(fileName, std::ios::binary); if (!in) return false;
    std::string line; bool inside = false, done = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (!line.empty() && line[0] == '[' && line.find(']') != std::string::npos) {
            if (inside) done = true;
            inside = !done && strcasecmp(line.substr(1, line.find(']') - 1).c_str(), section.c_str()) == 0;
            continue;
        }
        if (!inside) continue;
        size_t eq = line.find('='); if (eq == std::string::npos) continue;
        std::string k = Trim(line.substr(0, eq)), v = Trim(line.substr(eq + 1));
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        std::string dummy; if (out.Find(k, dummy)) continue;
        out.FEntries.emplace_back(k, v);
    }
    return true;
}
