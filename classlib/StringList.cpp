#include "StringList.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "Exceptions.h"
#include "Files.h"

namespace classlib {

void TStringList::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) throw EInvalidOperation("List index out of bounds");
    FItems.insert(FItems.begin() + index, s);
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) throw EInvalidOperation("List index out of bounds");
    FItems.erase(FItems.begin() + index);
}

void TStringList::Sort() {
    std::stable_sort(FItems.begin(), FItems.end(), [](const std::string& a, const std::string& b) {
        return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
}

int TStringList::IndexOf(const std::string& s) const {
    for (int i = 0; i < Count(); ++i)
        if (::lstrcmpiA(FItems[static_cast<size_t>(i)].c_str(), s.c_str()) == 0) return i;
    return -1;
}

namespace {

// Lower case of every byte, as the code page has it; empty where the code
// page has characters of two bytes (those are folded whole).
struct TFoldTable {
    bool ByteWise = false;
    char Lower[256] = {};
    TFoldTable() {
        CPINFO info{};
        ByteWise = ::GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
        for (int c = 0; c < 256; ++c) Lower[c] = static_cast<char>(c);
        if (ByteWise) ::CharLowerBuffA(Lower + 1, 255);
    }
};

const TFoldTable& FoldTable() {
    static const TFoldTable table;
    return table;
}

}  // namespace

void FoldNameInto(std::string_view name, std::string& key) {
    const TFoldTable& table = FoldTable();
    key.assign(name.data(), name.size());
    if (key.empty()) return;
    if (table.ByteWise) {
        for (char& c : key) c = table.Lower[static_cast<unsigned char>(c)];
    } else {
        ::CharLowerBuffA(&key[0], static_cast<DWORD>(key.size()));
    }
}

std::string NameKey(std::string_view name) {
    std::string key;
    FoldNameInto(name, key);
    return key;
}

int TStringList::IndexOfName(const std::string& name) const {
    const std::string key = NameKey(name);
    std::string lineKey;
    for (int i = 0; i < Count(); ++i) {
        const std::string& line = FItems[static_cast<size_t>(i)];
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq != key.size()) continue;
        FoldNameInto(std::string_view(line).substr(0, eq), lineKey);
        if (lineKey == key) return i;
    }
    return -1;
}

std::string TStringList::Value(const std::string& name) const {
    const int i = IndexOfName(name);
    if (i < 0) return {};
    const std::string& line = FItems[static_cast<size_t>(i)];
    return line.substr(line.find('=') + 1);
}

void TStringList::SetValue(const std::string& name, const std::string& value) {
    const int i = IndexOfName(name);
    if (i < 0) {
        FItems.push_back(name + "=" + value);
        return;
    }
    std::string& line = FItems[static_cast<size_t>(i)];
    line.erase(line.find('=') + 1);
    line += value;
}

void TStringList::SetText(const std::string& text) {
    FItems.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            FItems.push_back(text.substr(start));
            break;
        }
        FItems.push_back(text.substr(start, end - start));
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

std::string TStringList::Text() const {
    std::string out;
    for (const auto& s : FItems) {
        out += s;
        out += "\r\n";
    }
    return out;
}

void TStringList::LoadFromFile(const std::wstring& fileName) {
    std::string text;
    ReadWholeFile(fileName, text);
    SetText(text);
}

void TStringList::SaveToFile(const std::wstring& fileName) const { SaveTextFile(fileName, Text()); }

}  // namespace classlib
