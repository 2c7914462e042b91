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
// The longest key name the registry allows, with its NUL.
const size_t kMaxKeyName = 256;

template <typename T>
void AtLeast(std::vector<T>& buf, size_t size) {
    if (buf.size() < size) buf.resize(size);
}

bool HoldsLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// Walks keys and appends their text. One name and one data buffer serve
// the whole walk; they only grow. Per key the registry is asked for its
// information once, each value once (name, type and data together) and
// each subkey's name once.
class Writer {
public:
    explicit Writer(TStringList& list) : FList(list) {}

    // The key's own lines (withValues) and its subtree's (withSubKeys).
    // False when the key information cannot be read: nothing is appended.
    bool Key(HKEY key, const std::string& fullPath, bool withValues, bool withSubKeys) {
        TKeyInfo info;
        if (!RegGetKeyInfo(key, info)) return false;
        if (withValues) Values(key, fullPath, info);
        if (withSubKeys) SubKeys(key, fullPath, info);
        return true;
    }

private:
    void Values(HKEY key, const std::string& fullPath, const TKeyInfo& info) {
        FList.Add(std::string());
        FList.Add(RegSectionLine(fullPath));
        AtLeast(FName, static_cast<size_t>(info.MaxValueNameLen) + 1);
        AtLeast(FData, static_cast<size_t>(info.MaxDataLen) + 1);
        for (DWORD i = 0; i < info.NumValues; ++i) {
            for (int attempt = 0; attempt <= kGrowRetries; ++attempt) {
                DWORD nameLen = static_cast<DWORD>(FName.size());
                DWORD dataLen = static_cast<DWORD>(FData.size());
                DWORD type = REG_NONE;
                const LONG rc =
                    ::RegEnumValueA(key, i, FName.data(), &nameLen, nullptr, &type, FData.data(), &dataLen);
                if (rc == ERROR_SUCCESS) {
                    ValueLine(std::string(FName.data(), std::min<size_t>(nameLen, FName.size())), type,
                              std::min<size_t>(dataLen, FData.size()));
                    break;
                }
                if (rc != ERROR_MORE_DATA) break;
                // The value grew since the key information was read.
                TKeyInfo now;
                RegGetKeyInfo(key, now);
                const size_t name = std::max<size_t>(static_cast<size_t>(now.MaxValueNameLen) + 1, FName.size());
                const size_t data = std::max<size_t>(
                    {static_cast<size_t>(now.MaxDataLen) + 1, static_cast<size_t>(dataLen) + 1, FData.size()});
                if (name == FName.size() && data == FData.size()) {
                    FName.resize(FName.size() * 2);
                    FData.resize(FData.size() * 2);
                } else {
                    FName.resize(name);
                    FData.resize(data);
                }
            }
        }
    }

    void ValueLine(const std::string& name, DWORD type, size_t size) {
        const BYTE* data = FData.data();
        switch (type) {
            case REG_SZ:
            case REG_EXPAND_SZ: {
                const char* text = reinterpret_cast<const char*>(data);
                FList.Add(RegStringLine(name, std::string(text, strnlen(text, size))));
                break;
            }
            case REG_BINARY:
                FList.Add(RegBinaryLine(name, data, size));
                break;
            case REG_DWORD:
            case REG_DWORD_BIG_ENDIAN:
                // Four bytes read as a little-endian number, whatever the
                // type says; longer data is no DWORD.
                if (size <= 4) {
                    BYTE bytes[4] = {0, 0, 0, 0};
                    std::memcpy(bytes, data, size);
                    const std::uint32_t value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                                (static_cast<std::uint32_t>(bytes[3]) << 24);
                    FList.Add(RegDwordLine(name, value));
                }
                break;
            default:
                break;
        }
    }

    void SubKeys(HKEY key, const std::string& fullPath, const TKeyInfo& info) {
        AtLeast(FKeyName, static_cast<size_t>(info.MaxSubKeyLen) + 1);
        for (DWORD i = 0; i < info.NumSubKeys; ++i) {
            LONG rc = ERROR_MORE_DATA;
            DWORD len = 0;
            for (int attempt = 0; rc == ERROR_MORE_DATA && attempt <= kGrowRetries; ++attempt) {
                if (attempt > 0) FKeyName.resize(std::max(kMaxKeyName, FKeyName.size() * 2));
                len = static_cast<DWORD>(FKeyName.size());
                rc = ::RegEnumKeyExA(key, i, FKeyName.data(), &len, nullptr, nullptr, nullptr, nullptr);
            }
            if (rc != ERROR_SUCCESS) continue;
            const std::string name(FKeyName.data(), std::min<size_t>(len, FKeyName.size()));
            // A line break in a key name would end the section line early
            // and let the rest of the name read as lines of its own.
            if (HoldsLineBreak(name)) continue;
            HKEY sub = nullptr;
            if (::RegOpenKeyExA(key, name.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
            Key(sub, fullPath + "\\" + name, true, true);
            ::RegCloseKey(sub);
        }
    }

    TStringList& FList;
    std::vector<char> FName;
    std::vector<BYTE> FData;
    std::vector<char> FKeyName;
};

}  // namespace

// ---- Writer ------------------------------------------------------------------

bool ExportKey(HKEY root, const std::string& keyPath, TStringList& list) {
    if (!IsRootKey(root) || HoldsLineBreak(keyPath)) return false;
    HKEY key = root;
    if (!keyPath.empty() && ::RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    std::string fullPath = RootKeyToName(root);
    if (!keyPath.empty()) fullPath += "\\" + keyPath;
    const bool written = Writer(list).Key(key, fullPath, true, true);
    if (key != root) ::RegCloseKey(key);
    return written;
}

bool ExportKeyToFile(HKEY root, const std::string& keyPath, const std::string& fileName,
                     const std::string& header) {
    TStringList list;
    list.Add(header);
    if (!ExportKey(root, keyPath, list)) return false;
    classlib::SaveTextFile(fileName, list.Text());
    return true;
}

void ExportKeyValues(const TRegExportData& data, TStringList& list) {
    Writer(list).Key(data.Handle, data.FullPath, true, false);
}

void ExportSubKeys(const TRegExportData& data, TStringList& list) {
    Writer(list).Key(data.Handle, data.FullPath, false, true);
}

// ---- Importer ------------------------------------------------------------------

namespace {

class Importer {
public:
    ~Importer() { CloseKey(); }

    // Handles one item; false when it failed.
    bool Item(const TImportInfo& item) {
        if (item.Kind == rikKey) return OpenKey(item);
        if (!FKey) return true;  // under a section whose key failed: dropped
        LONG rc = ERROR_SUCCESS;
        switch (item.Kind) {
            case rikString:
                if (item.Data.size() >= MAXDWORD) return false;
                // With its terminating NUL, as strings are stored.
                rc = ::RegSetValueExA(FKey, item.ValueName.c_str(), 0, REG_SZ,
                                      reinterpret_cast<const BYTE*>(item.Data.c_str()),
                                      static_cast<DWORD>(item.Data.size() + 1));
                break;
            case rikDword: {
                const DWORD value = static_cast<DWORD>(HexToInt(item.Data));  // throws on bad digits
                rc = ::RegSetValueExA(FKey, item.ValueName.c_str(), 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&value), sizeof value);
                break;
            }
            case rikBinary: {
                if (item.Data.size() / 3 >= MAXDWORD) return false;
                int count = static_cast<int>((item.Data.size() + 1) / 3);
                FBytes.resize(static_cast<size_t>(count) + 1);
                HexToBytes(item.Data, FBytes.data(), count);
                rc = ::RegSetValueExA(FKey, item.ValueName.c_str(), 0, REG_BINARY, FBytes.data(),
                                      static_cast<DWORD>(count));
                break;
            }
            default:
                return false;
        }
        return rc == ERROR_SUCCESS;
    }

private:
    bool OpenKey(const TImportInfo& item) {
        CloseKey();
        const HKEY root = RootKeyAt(static_cast<int>(item.RootKey - kRegRootFirst));
        if (!root) return false;
        if (item.KeyPath.empty()) {
            FKey = root;
            return true;
        }
        HKEY key = nullptr;
        if (::RegCreateKeyExA(root, item.KeyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                              &key, nullptr) != ERROR_SUCCESS)
            return false;
        FKey = key;
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
