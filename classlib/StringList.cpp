#include "StringList.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "Exceptions.h"

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

void TStringList::LoadFromFile(const std::string& fileName) {
    const HANDLE h = ::CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EInvalidOperation("Cannot open file \"" + fileName + "\"");
    std::string text;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(h, &size) && size.QuadPart < (1LL << 31);
    if (ok) text.resize(static_cast<size_t>(size.QuadPart));
    for (size_t done = 0; ok && done < text.size();) {
        DWORD got = 0;
        ok = ::ReadFile(h, &text[done], static_cast<DWORD>(text.size() - done), &got, nullptr);
        done += got;
        if (ok && got == 0) text.resize(done);  // it became shorter meanwhile
    }
    ::CloseHandle(h);
    if (!ok) throw EInvalidOperation("Cannot read file \"" + fileName + "\"");
    SetText(text);
}

void TStringList::SaveToFile(const std::string& fileName) const { SaveTextFile(fileName, Text()); }

namespace {

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD n = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : "error " + std::to_string(code);
    if (text) ::LocalFree(text);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s;
}

[[noreturn]] void FileError(const std::string& fileName, const std::string& why) {
    throw EInvalidOperation("Cannot write file \"" + fileName + "\": " + why);
}

}  // namespace

// Writes text to a new file in the target's folder and, once all of it is
// on disk, renames that over the target. On any failure the new file is
// removed and the target is left as it was.
void SaveTextFile(const std::string& fileName, const std::string& text) {
    std::vector<char> full(MAX_PATH);
    char* filePart = nullptr;
    DWORD n = ::GetFullPathNameA(fileName.c_str(), static_cast<DWORD>(full.size()), full.data(), &filePart);
    if (n >= full.size()) {
        full.resize(n + 1);
        n = ::GetFullPathNameA(fileName.c_str(), static_cast<DWORD>(full.size()), full.data(), &filePart);
    }
    if (n == 0 || n >= full.size() || filePart == nullptr || *filePart == '\0')
        FileError(fileName, "the name is no file name");
    const std::string target(full.data(), n);
    const std::string folder(full.data(), static_cast<size_t>(filePart - full.data()));

    const DWORD attrs = ::GetFileAttributesA(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        if (attrs & FILE_ATTRIBUTE_DIRECTORY) FileError(fileName, "it is a folder");
        if (attrs & FILE_ATTRIBUTE_READONLY) FileError(fileName, "the file is read-only");
    }

    char temp[MAX_PATH + 16];
    if (!::GetTempFileNameA(folder.c_str(), "zrv", 0, temp)) FileError(fileName, SystemMessage(::GetLastError()));
    const HANDLE h = ::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temp);
        FileError(fileName, SystemMessage(error));
    }
    DWORD error = ERROR_SUCCESS;
    for (size_t done = 0; done < text.size() && error == ERROR_SUCCESS;) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(h, text.data() + done, chunk, &written, nullptr))
            error = ::GetLastError();
        else if (written != chunk)
            error = ERROR_DISK_FULL;
        done += written;
    }
    if (error == ERROR_SUCCESS && !::FlushFileBuffers(h)) error = ::GetLastError();
    if (!::CloseHandle(h) && error == ERROR_SUCCESS) error = ::GetLastError();
    if (error == ERROR_SUCCESS &&
        !::MoveFileExA(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS) {
        ::DeleteFileA(temp);
        FileError(fileName, SystemMessage(error));
    }
}

}  // namespace classlib
