#include "zrvRegFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Exceptions.h"
#include "Files.h"
#include "Registry.h"
#include "zrvRegistry.h"
#include "zrvString.h"

using classlib::TStringList;

using classlib::ToAnsi;
using classlib::ToWide;

namespace {

// The registry's limits, in characters.
const size_t kMaxKeyName = 255;
const size_t kMaxValueName = 16383;
// The longest path one registry call takes (its length is counted in bytes
// in 16 bits); deeper paths are created level by level.
const size_t kMaxPathPerCall = 32766;

bool HoldsLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// The text in the code page, when the code page holds it exactly.
bool Narrow(const std::wstring& w, std::string& out) {
    // Most names and texts are ASCII: those need no conversion round trip.
    out.resize(w.size());
    size_t i = 0;
    for (; i < w.size() && w[i] < 0x80; ++i) out[i] = static_cast<char>(w[i]);
    if (i == w.size()) return true;
    out = ToAnsi(w);
    return ToWide(out) == w;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Walks keys and appends their text. Per key the registry is asked for its
// information once, each value once (name, type and data together) and
// each subkey's name once.
class Writer {
public:
    Writer(TStringList& list, TRegExportReport* report) : FList(list), FReport(report) {}

    // The key's own lines (withValues) and its subtree's (withSubKeys).
    // False when the key information cannot be read: nothing is appended.
    bool Key(HKEY key, const std::string& fullPath, bool withValues, bool withSubKeys) {
        classlib::TKeyInfo info;
        if (!classlib::ReadKeyInfo(key, info)) return false;
        if (withValues) Values(key, fullPath, info);
        if (withSubKeys) SubKeys(key, fullPath, info);
        return true;
    }

private:
    void Values(HKEY key, const std::string& fullPath, const classlib::TKeyInfo& info) {
        FList.Add(std::string());
        FList.Add(RegSectionLine(fullPath));
        classlib::TValueEnum values(key, info);
        for (DWORD i = 0; i < values.Count(); ++i)
            if (values.Read(i) == ERROR_SUCCESS) Value(fullPath, values);
    }

    void Value(const std::string& fullPath, const classlib::TValueEnum& value) {
        std::string name;
        if (!Narrow(value.NameText(), name)) return LeftOut(false, fullPath, value.NameText());
        const BYTE* data = value.Data();
        const DWORD type = value.Type(), size = value.Size();
        if (type == REG_DWORD && size == 4) {
            const std::uint32_t number = data[0] | (data[1] << 8) | (data[2] << 16) |
                                         (static_cast<std::uint32_t>(data[3]) << 24);
            FList.Add(RegDwordLine(name, number));
            return;
        }
        if (!IsStringType(type)) {
            FList.Add(RegHexLine(name, type, data, size));
            return;
        }
        // String types, stored in UTF-16, go to the file in the code page;
        // the quoted form needs exactly one terminating NUL.
        std::string text;
        if (size % 2 != 0 || !Narrow(FText.assign(reinterpret_cast<const wchar_t*>(data), size / 2), text))
            return LeftOut(false, fullPath, value.NameText());
        if (type == REG_SZ && !text.empty() && text.find('\0') == text.size() - 1) {
            text.pop_back();
            FList.Add(RegStringLine(name, text));
        } else {
            FList.Add(RegHexLine(name, type, text.data(), text.size()));
        }
    }

    void SubKeys(HKEY key, const std::string& fullPath, const classlib::TKeyInfo& info) {
        classlib::TSubKeyEnum subKeys(key, info);
        for (DWORD i = 0; i < subKeys.Count(); ++i) {
            if (subKeys.Read(i) != ERROR_SUCCESS) continue;
            const std::wstring wideName = subKeys.NameText();
            std::string name;
            // A line break in a key name would end the section line early
            // and let the rest of the name read as lines of its own.
            if (!Narrow(wideName, name) || HoldsLineBreak(name)) {
                LeftOut(true, fullPath, wideName);
                continue;
            }
            classlib::TRegKey sub;
            if (sub.Open(key, wideName, KEY_READ) != ERROR_SUCCESS) continue;
            Key(sub.Get(), fullPath + "\\" + name, true, true);
        }
    }

    void LeftOut(bool isKey, const std::string& fullPath, const std::wstring& name) {
        if (!FReport) return;
        ++(isKey ? FReport->KeysLeftOut : FReport->ValuesLeftOut);
        if (FReport->FirstLeftOut.size() >= TRegExportReport::kNamesKept) return;
        const std::string shown = ToAnsi(name);
        FReport->FirstLeftOut.push_back(isKey ? "[" + fullPath + "\\" + shown + "]" : "[" + fullPath + "] " + shown);
    }

    TStringList& FList;
    TRegExportReport* FReport;
    std::wstring FText;  // reused for every string value
};

}  // namespace

// ---- Writer ------------------------------------------------------------------

bool ExportKey(HKEY root, const std::string& keyPath, TStringList& list, TRegExportReport* report) {
    if (!IsRootKey(root) || HoldsLineBreak(keyPath)) return false;
    classlib::TRegKey key;
    if (key.Open(root, ToWide(keyPath), KEY_READ) != ERROR_SUCCESS) return false;
    std::string fullPath = RootKeyToName(root);
    if (!keyPath.empty()) fullPath += "\\" + keyPath;
    return Writer(list, report).Key(key.Get(), fullPath, true, true);
}

bool ExportKeyToFile(HKEY root, const std::string& keyPath, const std::wstring& fileName,
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
    // Handles one item; false when it failed.
    bool Item(const TImportInfo& item) {
        if (item.Kind == rikKey) return OpenKey(item);
        if (item.Kind == rikRefused) return false;
        if (!FKey) return true;  // under a section whose key failed: dropped
        const std::wstring name = ToWide(item.ValueName);
        if (name.size() > kMaxValueName) return false;
        switch (item.Kind) {
            case rikString: {
                // With its terminating NUL, as strings are stored.
                const std::wstring text = ToWide(item.Data);
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
                    // The file holds string types in the code page.
                    const std::wstring text =
                        ToWide(std::string(reinterpret_cast<const char*>(FBytes.data()), static_cast<size_t>(count)));
                    return Set(name, item.DataType, text.data(), text.size() * sizeof(wchar_t));
                }
                return Set(name, item.DataType, FBytes.data(), static_cast<size_t>(count));
            }
            default:
                return false;
        }
    }

private:
    bool Set(const std::wstring& name, DWORD type, const void* data, size_t size) {
        return size <= MAXDWORD && classlib::SetValueExact(FKey.Get(), name.c_str(), type, data, static_cast<DWORD>(size));
    }

    bool OpenKey(const TImportInfo& item) {
        FKey.Close();
        const HKEY root = RootKeyAt(static_cast<int>(item.RootKey - kRegRootFirst));
        if (!root) return false;
        const std::wstring path = ToWide(item.KeyPath);
        // Every level within the registry's limit, before anything is created.
        for (size_t start = 0; !path.empty();) {
            const size_t end = std::min(path.find(L'\\', start), path.size());
            if (end == start || end - start > kMaxKeyName) return false;
            if (end == path.size()) break;
            start = end + 1;
        }
        // One call for the whole path where it fits, else as many levels at
        // a time as fit, each created under the last.
        FKey.Open(root, std::wstring(), KEY_SET_VALUE);
        for (size_t start = 0; start < path.size();) {
            size_t end = path.size();
            if (end - start > kMaxPathPerCall) end = path.rfind(L'\\', start + kMaxPathPerCall);
            classlib::TRegKey next;
            if (::RegCreateKeyExW(FKey.Get(), path.substr(start, end - start).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, next.Put(),
                                  nullptr) != ERROR_SUCCESS) {
                FKey.Close();
                return false;
            }
            FKey = std::move(next);
            start = end + 1;
        }
        return true;
    }

    classlib::TRegKey FKey;
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

int ImportRegFile(const std::wstring& fileName) {
    if (classlib::FileAttributes(fileName) == INVALID_FILE_ATTRIBUTES) {
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
