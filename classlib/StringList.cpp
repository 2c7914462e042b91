#include "StringList.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>

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
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EInvalidOperation("Cannot open file \"" + fileName + "\"");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EInvalidOperation("Cannot read file \"" + fileName + "\"");
    SetText(text);
}

void TStringList::SaveToFile(const std::string& fileName) const { SaveTextFile(fileName, Text()); }

void SaveTextFile(const std::string& fileName, const std::string& text) {
    // Written beside the target first; the target is replaced only once the
    // whole text is on disk, so a failure leaves the old file as it was.
    const DWORD attributes = ::GetFileAttributesA(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        throw EInvalidOperation("Cannot write file \"" + fileName + "\": it is read-only");
    const std::string temp = fileName + ".~" + std::to_string(::GetCurrentProcessId()) + ".tmp";
    HANDLE h = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EInvalidOperation("Cannot create file \"" + fileName + "\"");
    size_t written = 0;
    bool ok = true;
    while (ok && written < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - written, 1u << 20));
        DWORD done = 0;
        ok = ::WriteFile(h, text.data() + written, chunk, &done, nullptr) && done == chunk;
        written += done;
    }
    ok = ::FlushFileBuffers(h) && ok;
    ::CloseHandle(h);
    if (!ok || !::MoveFileExA(temp.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temp.c_str());
        throw EInvalidOperation("Cannot write file \"" + fileName + "\"");
    }
}

}  // namespace classlib
