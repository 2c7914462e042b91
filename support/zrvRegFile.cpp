#include "zrvRegFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Exceptions.h"
#include "zrvRegistry.h"
#include "zrvString.h"

using classlib::TStringList;

namespace {

// Retries of one entry whose name or data grew since the key information.
const int kGrowRetries = 4;
// The registry's limits, in characters.
const size_t kMaxKeyName = 255;
const size_t kMaxValueName = 16383;
// The longest path one registry call takes (its length is counted in bytes
// in 16 bits); deeper paths are created level by level.
const size_t kMaxPathPerCall = 32766;

template <typename T>
void AtLeast(std::vector<T>& buf, size_t size) {
    if (buf.size() < size) buf.resize(size);
}

bool HoldsLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

std::wstring Widen(const char* s, size_t n) {
    if (n == 0) return std::wstring();
    const int size = ::MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(n), nullptr, 0);
    std::wstring w(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(n), &w[0], size);
    return w;
}
std::wstring Widen(const std::string& s) { return Widen(s.data(), s.size()); }

// The text in the code page, when every character has its own there (no
// best fit, no "?" for what is missing, and back again to the same text).
bool NarrowExact(const wchar_t* w, size_t n, std::string& out) {
    out.resize(n);
    size_t i = 0;
    for (; i < n && w[i] < 0x80; ++i) out[i] = static_cast<char>(w[i]);
    if (i == n) return true;
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, static_cast<int>(n), nullptr, 0,
                                           nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    out.assign(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, static_cast<int>(n), &out[0], size, nullptr,
                          &usedDefault);
    return !usedDefault && Widen(out) == std::wstring(w, n);
}

// The name as near as the code page shows it, for reports.
std::string NarrowShown(const std::wstring& w) {
    if (w.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                                           nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &out[0], size, nullptr, nullptr);
    return out;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Walks keys and appends their text. One name and one data buffer serve
// the whole walk; they only grow. Per key the registry is asked for its
// information once, each value once (name, type and data together) and
// each subkey's name once.
class Writer {
public:
    Writer(TStringList& list, TRegExportReport* report) : FList(list), FReport(report) {}

    // The key's own lines (withValues) and its subtree's (withSubKeys).
    // False when the key information cannot be read: nothing is appended.
    bool Key(HKEY key, const std::string& fullPath, bool withValues, bool withSubKeys) {
        DWORD subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxData = 0;
        if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxName,
                               &maxData, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        if (withValues) Values(key, fullPath, values, maxName, maxData);
        if (withSubKeys) SubKeys(key, fullPath, subKeys, maxSubKey);
        return true;
    }

private:
    void Values(HKEY key, const std::string& fullPath, DWORD count, DWORD maxName, DWORD maxData) {
        FList.Add(std::string());
        FList.Add(RegSectionLine(fullPath));
        AtLeast(FName, static_cast<size_t>(maxName) + 1);
        AtLeast(FData, static_cast<size_t>(maxData) + 2);
        for (DWORD i = 0; i < count; ++i) {
            for (int attempt = 0; attempt <= kGrowRetries; ++attempt) {
                DWORD nameLen = static_cast<DWORD>(FName.size());
                DWORD dataLen = static_cast<DWORD>(FData.size());
                DWORD type = REG_NONE;
                const LONG rc =
                    ::RegEnumValueW(key, i, FName.data(), &nameLen, nullptr, &type, FData.data(), &dataLen);
                if (rc == ERROR_SUCCESS) {
                    Value(fullPath, FName.data(), std::min<size_t>(nameLen, FName.size()), type,
                          std::min<size_t>(dataLen, FData.size()));
                    break;
                }
                if (rc != ERROR_MORE_DATA) break;
                // The value grew since the key information was read: take
                // the sizes the system reports now, at least one step more.
                DWORD nowName = 0, nowData = 0;
                ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nowName,
                                   &nowData, nullptr, nullptr);
                FName.resize(std::max<size_t>(static_cast<size_t>(nowName) + 1, FName.size() * 2));
                FData.resize(std::max<size_t>({static_cast<size_t>(nowData) + 2, static_cast<size_t>(dataLen) + 2,
                                               FData.size() * 2}));
            }
        }
    }

    void Value(const std::string& fullPath, const wchar_t* wideName, size_t nameLen, DWORD type, size_t size) {
        std::string name;
        if (!NarrowExact(wideName, nameLen, name)) return LeftOut(false, fullPath, wideName, nameLen);
        const BYTE* data = FData.data();
        if (type == REG_DWORD && size == 4) {
            const std::uint32_t value = data[0] | (data[1] << 8) | (data[2] << 16) |
                                        (static_cast<std::uint32_t>(data[3]) << 24);
            FList.Add(RegDwordLine(name, value));
            return;
        }
        if (!IsStringType(type)) {
            FList.Add(RegHexLine(name, type, data, size));
            return;
        }
        // String types, stored in UTF-16, go to the file in the code page;
        // the quoted form needs exactly one terminating NUL.
        const wchar_t* text = reinterpret_cast<const wchar_t*>(data);
        const size_t chars = size / 2;
        std::string narrow;
        if (size % 2 != 0 || !NarrowExact(text, chars, narrow)) return LeftOut(false, fullPath, wideName, nameLen);
        if (type == REG_SZ && chars > 0 && narrow.find('\0') == chars - 1) {
            narrow.pop_back();
            FList.Add(RegStringLine(name, narrow));
        } else {
            FList.Add(RegHexLine(name, type, narrow.data(), narrow.size()));
        }
    }

    void SubKeys(HKEY key, const std::string& fullPath, DWORD count, DWORD maxSubKey) {
        AtLeast(FKeyName, static_cast<size_t>(maxSubKey) + 1);
        for (DWORD i = 0; i < count; ++i) {
            LONG rc = ERROR_MORE_DATA;
            DWORD len = 0;
            for (int attempt = 0; rc == ERROR_MORE_DATA && attempt <= kGrowRetries; ++attempt) {
                if (attempt > 0) FKeyName.resize(std::max(kMaxKeyName + 1, FKeyName.size() * 2));
                len = static_cast<DWORD>(FKeyName.size());
                rc = ::RegEnumKeyExW(key, i, FKeyName.data(), &len, nullptr, nullptr, nullptr, nullptr);
            }
            if (rc != ERROR_SUCCESS) continue;
            const std::wstring wideName(FKeyName.data(), std::min<size_t>(len, FKeyName.size()));
            std::string name;
            // A line break in a key name would end the section line early
            // and let the rest of the name read as lines of its own.
            if (!NarrowExact(wideName.data(), wideName.size(), name) || HoldsLineBreak(name)) {
                LeftOut(true, fullPath, wideName.data(), wideName.size());
                continue;
            }
            HKEY sub = nullptr;
            if (::RegOpenKeyExW(key, wideName.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
            Key(sub, fullPath + "\\" + name, true, true);
            ::RegCloseKey(sub);
        }
    }

    void LeftOut(bool isKey, const std::string& fullPath, const wchar_t* name, size_t nameLen) {
        if (!FReport) return;
        ++(isKey ? FReport->KeysLeftOut : FReport->ValuesLeftOut);
        if (FReport->FirstLeftOut.size() >= TRegExportReport::kNamesKept) return;
        const std::string shown = NarrowShown(std::wstring(name, nameLen));
        FReport->FirstLeftOut.push_back(isKey ? "[" + fullPath + "\\" + shown + "]" : "[" + fullPath + "] " + shown);
    }

    TStringList& FList;
    TRegExportReport* FReport;
    std::vector<wchar_t> FName;
    std::vector<BYTE> FData;
    std::vector<wchar_t> FKeyName;
};

}  // namespace

// ---- Writer ------------------------------------------------------------------

bool ExportKey(HKEY root, const std::string& keyPath, TStringList& list, TRegExportReport* report) {
    if (!IsRootKey(root) || HoldsLineBreak(keyPath)) return false;
    HKEY key = root;
    if (!keyPath.empty() && ::RegOpenKeyExW(root, Widen(keyPath).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    std::string fullPath = RootKeyToName(root);
    if (!keyPath.empty()) fullPath += "\\" + keyPath;
    const bool written = Writer(list, report).Key(key, fullPath, true, true);
    if (key != root) ::RegCloseKey(key);
    return written;
}

bool ExportKeyToFile(HKEY root, const std::string& keyPath, const std::string& fileName,
                     const std::string& header, TRegExportReport* report) {
    TStringList list;
    list.Add(header);
    if (!ExportKey(root, keyPath, list, report)) return false;
    classlib::SaveTextFile(fileName, list.Text());
    return true;
}

void ExportKeyValues(const TRegExportData& data, TStringList& list) {
    Writer(list, data.Report).Key(data.Handle, data.FullPath, true, false);
}

void ExportSubKeys(const TRegExportData& data, TStringList& list) {
    Writer(list, data.Report).Key(data.Handle, data.FullPath, false, true);
}

// ---- Importer ------------------------------------------------------------------

namespace {

class Importer {
public:
    ~Importer() { CloseKey(); }

    // Handles one item; false when it failed.
    bool Item(const TImportInfo& item) {
        if (item.Kind == rikKey) return OpenKey(item);
        if (item.Kind == rikRefused) return false;
        if (!FKey) return true;  // under a section whose key failed: dropped
        const std::wstring name = Widen(item.ValueName);
        if (name.size() > kMaxValueName) return false;
        switch (item.Kind) {
            case rikString: {
                // With its terminating NUL, as strings are stored.
                const std::wstring text = Widen(item.Data);
                return Set(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
            }
            case rikDword: {
                const DWORD value = static_cast<DWORD>(HexToInt(item.Data));  // throws on bad digits
                return Set(name, REG_DWORD, &value, sizeof value);
            }
            case rikBinary: {
                int count = static_cast<int>(std::min<size_t>((item.Data.size() + 1) / 3, MAXDWORD / 4));
                FBytes.resize(static_cast<size_t>(count) + 1);
                HexToBytes(item.Data, FBytes.data(), count);
                if (IsStringType(item.DataType)) {
                    // The file holds string types in the code page. The
                    // registry adds a NUL to a string that does not end in
                    // one when the character after its data is a NUL: a
                    // character that is none keeps the bytes as they are.
                    std::wstring text = Widen(reinterpret_cast<const char*>(FBytes.data()), static_cast<size_t>(count));
                    const size_t size = text.size() * sizeof(wchar_t);
                    text += L'\xFFFF';
                    return Set(name, item.DataType, text.data(), size);
                }
                return Set(name, item.DataType, FBytes.data(), static_cast<size_t>(count));
            }
            default:
                return false;
        }
    }

private:
    bool Set(const std::wstring& name, DWORD type, const void* data, size_t size) {
        if (size > MAXDWORD) return false;
        return ::RegSetValueExW(FKey, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                static_cast<DWORD>(size)) == ERROR_SUCCESS;
    }

    bool OpenKey(const TImportInfo& item) {
        CloseKey();
        const HKEY root = RootKeyAt(static_cast<int>(item.RootKey - kRegRootFirst));
        if (!root) return false;
        if (item.KeyPath.empty()) {
            FKey = root;
            return true;
        }
        const std::wstring path = Widen(item.KeyPath);
        // Every level within the registry's limit, before anything is created.
        size_t start = 0;
        for (;;) {
            const size_t end = std::min(path.find(L'\\', start), path.size());
            if (end == start || end - start > kMaxKeyName) return false;
            if (end == path.size()) break;
            start = end + 1;
        }
        // One call for the whole path where it fits, else as many levels at
        // a time as fit, each created under the last.
        HKEY parent = root;
        start = 0;
        while (start < path.size()) {
            size_t end = path.size();
            if (end - start > kMaxPathPerCall) end = path.rfind(L'\\', start + kMaxPathPerCall);
            HKEY key = nullptr;
            const LONG rc = ::RegCreateKeyExW(parent, path.substr(start, end - start).c_str(), 0, nullptr,
                                              REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr,
                                              &key, nullptr);
            if (parent != root) ::RegCloseKey(parent);
            if (rc != ERROR_SUCCESS) return false;
            parent = key;
            start = end + 1;
        }
        FKey = parent;
        FOwnsKey = true;
        return true;
    }

    void CloseKey() {
        if (FKey && FOwnsKey) ::RegCloseKey(FKey);
        FKey = nullptr;
        FOwnsKey = false;
    }

    HKEY FKey = nullptr;
    bool FOwnsKey = false;
    std::vector<BYTE> FBytes;
};

}  // namespace

int ImportRegLines(const TStringList& lines) {
    if (lines.Count() == 0 || !IsRegFileHeader(lines[0])) return rirNotRegFile;
    bool failed = false;
    try {
        Importer importer;
        TImportInfo info;
        std::size_t index = 1;
        while (ParseRegLine(index, lines.Items(), info)) {
            try {
                if (!importer.Item(info)) failed = true;
            } catch (...) {
                failed = true;
            }
        }
    } catch (...) {
        failed = true;
    }
    return failed ? rirSomeFailed : rirDone;
}

int ImportRegFile(const std::string& fileName) {
    if (::GetFileAttributesA(fileName.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
            return rirFileMissing;
    }
    try {
        TStringList lines;
        lines.LoadFromFile(fileName);
        return ImportRegLines(lines);
    } catch (...) {
        return rirSomeFailed;
    }
}
