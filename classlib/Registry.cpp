#include "Registry.h"

#include <algorithm>
#include <cstring>

#include "Seams.h"

namespace classlib {

namespace {

// Retries of one entry whose name or data grew since it was sized.
const int kGrowRetries = 8;
// The registry's own nesting limit; deeper walks stop and fail. It also ends
// a copy that would run into its own destination through a link the path
// checks cannot see.
const int kMaxDepth = 512;

std::wstring StripLeadingBackslash(const std::wstring& path) {
    return (!path.empty() && path[0] == L'\\') ? path.substr(1) : path;
}

std::wstring JoinPath(const std::wstring& a, const std::wstring& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + L'\\' + b;
}

// The non-empty names of a path.
std::vector<std::wstring> PathNames(const std::wstring& path) {
    std::vector<std::wstring> names(1);
    for (WCHAR c : path) {
        if (c == L'\\') {
            if (!names.back().empty()) names.emplace_back();
        } else {
            names.back() += c;
        }
    }
    if (names.back().empty()) names.pop_back();
    return names;
}

std::wstring UpperWide(std::wstring s) {
    if (!s.empty()) ::CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

// Whether inner is outer itself or lies below it, name by name, ignoring case.
bool SameOrBelow(const std::wstring& outer, const std::wstring& inner) {
    const auto o = PathNames(UpperWide(outer)), i = PathNames(UpperWide(inner));
    return i.size() >= o.size() && std::equal(o.begin(), o.end(), i.begin());
}

bool IsPredefined(HKEY key) {
    const auto v = static_cast<ULONG_PTR>(reinterpret_cast<LONG_PTR>(key));
    return static_cast<LONG_PTR>(v) < 0 && (v & 0xFFFFFFF0u) == 0x80000000u;
}

[[noreturn]] void RaiseGet(const std::string& name) {
    throw ERegistryException("Failed to get data for '" + name + "'");
}

[[noreturn]] void RaiseSet(const std::wstring& name) {
    throw ERegistryException("Failed to set data for '" + ToAnsi(name) + "'");
}

// Deleting an open key and reading a key's full name save round trips and
// see through aliases of root keys; both are optional.
using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
using NtQueryKeyFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
struct NtUnicodeString {
    USHORT Length, MaximumLength;
    PWSTR Buffer;
};
using NtSetValueKeyFn = LONG(NTAPI*)(HANDLE, NtUnicodeString*, ULONG, ULONG, const void*, ULONG);
const int kKeyNameInformation = 3;

struct NtRegistry {
    NtDeleteKeyFn DeleteKey = nullptr;
    NtQueryKeyFn QueryKey = nullptr;
    NtSetValueKeyFn SetValueKey = nullptr;
};

const NtRegistry& Nt() {
    static const NtRegistry api = [] {
        NtRegistry a;
        if (HMODULE ntdll = ::GetModuleHandleA("ntdll.dll")) {
            a.DeleteKey = reinterpret_cast<NtDeleteKeyFn>(
                reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "NtDeleteKey")));
            a.QueryKey = reinterpret_cast<NtQueryKeyFn>(
                reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "NtQueryKey")));
            a.SetValueKey = reinterpret_cast<NtSetValueKeyFn>(
                reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "NtSetValueKey")));
        }
        return a;
    }();
    return api;
}

}  // namespace

bool SetValueExact(HKEY key, const WCHAR* name, DWORD type, const void* data, DWORD size) {
    const NtSetValueKeyFn set = Nt().SetValueKey;
    const size_t chars = wcslen(name);
    if (!set || chars > 32767) return ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == 0;
    // A root key handle stands for a key: the native call needs the key itself.
    TRegKey real;
    if (IsPredefined(key) && ::RegOpenKeyExW(key, L"", 0, KEY_SET_VALUE, real.Put()) != ERROR_SUCCESS) return false;
    NtUnicodeString us;
    us.Length = us.MaximumLength = static_cast<USHORT>(chars * sizeof(WCHAR));
    us.Buffer = const_cast<PWSTR>(name);
    return set(real ? real.Get() : key, &us, 0, type, size ? data : nullptr, size) == 0;
}

// ---- Key information, text, handles and enumeration --------------------------------

namespace {

// The key information as the wide functions count it: what the wide walks
// size their buffers by (a name in wide characters needs no doubling).
bool QueryKeyInfo(HKEY key, TKeyInfo& info) {
    info = TKeyInfo{};
    return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &info.NumSubKeys, &info.MaxSubKeyLen, nullptr,
                              &info.NumValues, &info.MaxValueNameLen, &info.MaxDataLen, nullptr,
                              &info.LastWriteTime) == ERROR_SUCCESS;
}

}  // namespace

bool ReadKeyInfo(HKEY key, TKeyInfo& info) {
    const bool ok = QueryKeyInfo(key, info);
    if (Seams().FarEastLocale() && IsNTFamily()) {
        info.MaxSubKeyLen *= 2;
        info.MaxValueNameLen *= 2;
    }
    return ok;
}

void TRegKey::Close() {
    if (FKey && !IsPredefined(FKey)) ::RegCloseKey(FKey);
    FKey = nullptr;
}

LONG TRegKey::Open(HKEY parent, const std::wstring& path, REGSAM access, DWORD options) {
    Close();
    if (path.empty() && IsPredefined(parent)) {
        FKey = parent;
        return ERROR_SUCCESS;
    }
    return ::RegOpenKeyExW(parent, path.c_str(), options, access, &FKey);
}

TSubKeyEnum::TSubKeyEnum(HKEY key) : FKey(key), FOk(QueryKeyInfo(key, FInfo)) { SizeBuffers(); }

TSubKeyEnum::TSubKeyEnum(HKEY key, const TKeyInfo& info) : FKey(key), FInfo(info), FOk(true) { SizeBuffers(); }

void TSubKeyEnum::SizeBuffers() { FName.resize(std::max<DWORD>(FInfo.MaxSubKeyLen, 255) + 1); }

LONG TSubKeyEnum::Read(DWORD index) {
    for (int attempt = 0;; ++attempt) {
        FNameLen = static_cast<DWORD>(FName.size());
        const LONG rc = ::RegEnumKeyExW(FKey, index, FName.data(), &FNameLen, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_MORE_DATA || attempt == kGrowRetries) return rc;
        // The name grew since the key was sized: take what it reports now.
        TKeyInfo now;
        QueryKeyInfo(FKey, now);
        FName.resize(std::max<size_t>(now.MaxSubKeyLen + 1, FName.size() * 2));
    }
}

TValueEnum::TValueEnum(HKEY key, bool withData) : FKey(key), FOk(QueryKeyInfo(key, FInfo)), FWithData(withData) {
    SizeBuffers();
}

TValueEnum::TValueEnum(HKEY key, const TKeyInfo& info, bool withData)
    : FKey(key), FInfo(info), FOk(true), FWithData(withData) {
    SizeBuffers();
}

void TValueEnum::SizeBuffers() {
    FName.resize(static_cast<size_t>(FInfo.MaxValueNameLen) + 1);
    if (FWithData) FData.resize(static_cast<size_t>(FInfo.MaxDataLen) + 1);
}

LONG TValueEnum::Read(DWORD index) {
    for (int attempt = 0;; ++attempt) {
        FNameLen = static_cast<DWORD>(FName.size());
        FSize = static_cast<DWORD>(FData.size());
        FType = REG_NONE;
        const LONG rc = ::RegEnumValueW(FKey, index, FName.data(), &FNameLen, nullptr, &FType,
                                        FWithData ? FData.data() : nullptr, FWithData ? &FSize : nullptr);
        if (!FWithData) FSize = 0;
        if (rc != ERROR_MORE_DATA || attempt == kGrowRetries) return rc;
        // The name or the data grew since the key information: take the sizes
        // the system reports now and ask again.
        const DWORD reported = FSize;
        TKeyInfo now;
        QueryKeyInfo(FKey, now);
        size_t name = std::max<size_t>(now.MaxValueNameLen + 1, FName.size());
        size_t data = FWithData ? std::max<size_t>({static_cast<size_t>(now.MaxDataLen) + 1,
                                                    static_cast<size_t>(reported) + 1, FData.size()})
                                : 0;
        // Nothing reported larger: grow both, so that every retry gains.
        if (name == FName.size() && data == FData.size()) {
            name *= 2;
            data *= 2;
        }
        FName.resize(name);
        FData.resize(data);
    }
}

// ---- The registry key class ------------------------------------------------------------

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    FRootKey = root;
}

bool TRegistry::Open(const std::wstring& path, bool canCreate, REGSAM access) {
    CloseKey();
    const std::wstring rel = StripLeadingBackslash(path);
    // Paths go in wide: the ANSI functions refuse paths over 260 characters
    // under Wine, though every key name on them is a valid one.
    LONG rc;
    if (canCreate)
        rc = ::RegCreateKeyExW(FRootKey, rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                               FCurrentKey.Put(), nullptr);
    else
        rc = ::RegOpenKeyExW(FRootKey, rel.c_str(), 0, access, FCurrentKey.Put());
    if (rc == ERROR_SUCCESS) return true;
    FCurrentKey.Release();
    return false;
}

bool TRegistry::OpenKey(const std::wstring& path, bool canCreate) { return Open(path, canCreate, KEY_ALL_ACCESS); }

bool TRegistry::OpenKeyReadOnly(const std::wstring& path) { return Open(path, false, KEY_READ); }

void TRegistry::CloseKey() { FCurrentKey.Close(); }

bool TRegistry::GetKeyInfo(TKeyInfo& info) const { return ReadKeyInfo(BaseKey(), info); }

bool TRegistry::KeyExists(const std::wstring& path) const {
    TRegKey key;
    return key.Open(FRootKey, StripLeadingBackslash(path), KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::wstring& name) const {
    return ::RegQueryValueExW(BaseKey(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::HasSubKeys() const {
    TKeyInfo info;
    return GetKeyInfo(info) && info.NumSubKeys > 0;
}

DWORD TRegistry::QueryRaw(const std::string& name, DWORD& type, std::vector<BYTE>& data) const {
    // The size may grow between the two calls when another program writes
    // the value meanwhile: ask again with the size the system reports.
    for (int attempt = 0; attempt < kGrowRetries; ++attempt) {
        DWORD size = 0;
        LONG rc = ::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
        data.assign(size, 0);
        rc = ::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
        data.resize(size);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

void TRegistry::SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    if (::RegSetValueExW(BaseKey(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        RaiseSet(name);
}

TRegDataType TRegistry::GetDataType(const std::string& name) const {
    DWORD type = 0;
    if (::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return TRegDataType::rdUnknown;
    switch (type) {
        case REG_SZ: return TRegDataType::rdString;
        case REG_EXPAND_SZ: return TRegDataType::rdExpandString;
        case REG_DWORD: return TRegDataType::rdInteger;
        case REG_BINARY: return TRegDataType::rdBinary;
        default: return TRegDataType::rdUnknown;
    }
}

int TRegistry::GetDataSize(const std::string& name) const {
    DWORD size = 0;
    if (::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return -1;
    return static_cast<int>(size);
}

std::string TRegistry::ReadString(const std::string& name) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (QueryRaw(name, type, data) != ERROR_SUCCESS) RaiseGet(name);
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for '" + name + "'");
    std::string s(data.begin(), data.end());
    const size_t nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    return s;
}

std::wstring TRegistry::ReadWideString(const std::wstring& name) const {
    // The size may grow between the two calls: ask again as QueryRaw does.
    for (int attempt = 0; attempt < kGrowRetries; ++attempt) {
        DWORD type = 0, size = 0;
        LONG rc = ::RegQueryValueExW(BaseKey(), name.c_str(), nullptr, &type, nullptr, &size);
        std::wstring s(size / sizeof(WCHAR) + 1, L'\0');
        if (rc == ERROR_SUCCESS)
            rc = ::RegQueryValueExW(BaseKey(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&s[0]), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            throw ERegistryException("Invalid data type for '" + ToAnsi(name) + "'");
        s.resize(size / sizeof(WCHAR));
        const size_t nul = s.find(L'\0');
        if (nul != std::wstring::npos) s.resize(nul);
        return s;
    }
    RaiseGet(ToAnsi(name));
}

void TRegistry::WriteString(const std::wstring& name, const std::wstring& value) {
    const std::wstring w = value + L'\0';
    SetRaw(name, REG_SZ, w.data(), static_cast<DWORD>(w.size() * sizeof(WCHAR)));
}

namespace {

// A string in the code page as the wide functions store it, with its NUL.
std::wstring StoredText(const std::string& value) { return ToWide(value) + L'\0'; }

}  // namespace

void TRegistry::WriteString(const std::wstring& name, const std::string& value) {
    const std::wstring w = StoredText(value);
    SetRaw(name, REG_SZ, w.data(), static_cast<DWORD>(w.size() * sizeof(WCHAR)));
}

void TRegistry::WriteExpandString(const std::wstring& name, const std::string& value) {
    const std::wstring w = StoredText(value);
    SetRaw(name, REG_EXPAND_SZ, w.data(), static_cast<DWORD>(w.size() * sizeof(WCHAR)));
}

int TRegistry::ReadInteger(const std::string& name) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (QueryRaw(name, type, data) != ERROR_SUCCESS) RaiseGet(name);
    if (type != REG_DWORD || data.size() < 4) throw ERegistryException("Invalid data type for '" + name + "'");
    DWORD v = 0;
    memcpy(&v, data.data(), 4);
    return static_cast<int>(v);
}

void TRegistry::WriteInteger(const std::wstring& name, int value) {
    DWORD v = static_cast<DWORD>(value);
    SetRaw(name, REG_DWORD, &v, sizeof v);
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int size) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (QueryRaw(name, type, data) != ERROR_SUCCESS) RaiseGet(name);
    if (size < 0 || data.size() > static_cast<size_t>(size)) RaiseGet(name);
    if (!data.empty()) memcpy(buffer, data.data(), data.size());
    return static_cast<int>(data.size());
}

void TRegistry::WriteBinaryData(const std::wstring& name, const void* buffer, int size) {
    if (size < 0) RaiseSet(name);
    SetRaw(name, REG_BINARY, buffer, static_cast<DWORD>(size));
}

TRegRawValue TRegistry::ReadRaw(const std::string& name) const {
    TRegRawValue v;
    if (QueryRaw(name, v.Type, v.Data) != ERROR_SUCCESS) RaiseGet(name);
    return v;
}

void TRegistry::WriteRaw(const std::string& name, const TRegRawValue& value) {
    if (::RegSetValueExA(BaseKey(), name.c_str(), 0, value.Type, value.Data.empty() ? nullptr : value.Data.data(),
                         static_cast<DWORD>(value.Data.size())) != ERROR_SUCCESS)
        RaiseSet(ToWide(name));
}

bool TRegistry::DeleteValue(const std::wstring& name) {
    return ::RegDeleteValueW(BaseKey(), name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& path) {
    return DeleteRegistryTree(BaseKey(), StripLeadingBackslash(ToWide(path)));
}

bool TRegistry::RenameValue(const std::wstring& from, const std::wstring& to) {
    if (!FCurrentKey) return false;
    HKEY key = FCurrentKey.Get();
    // The new name must be free. A name that differs only in capitals names
    // the same value: writing it and deleting the old one would lose it.
    if (::RegQueryValueExW(key, to.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_FILE_NOT_FOUND) return false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data(256);
    LONG rc = ERROR_MORE_DATA;
    DWORD size = 0;
    for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < kGrowRetries; ++attempt) {
        size = static_cast<DWORD>(data.size());
        rc = ::RegQueryValueExW(key, from.c_str(), nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) data.resize(std::max<size_t>(data.size() * 2, size));
    }
    if (rc != ERROR_SUCCESS) return false;
    // The new value first: when it cannot be written the old one is untouched.
    if (!SetValueExact(key, to.c_str(), type, data.data(), size)) return false;
    if (::RegDeleteValueW(key, from.c_str()) == ERROR_SUCCESS) return true;
    ::RegDeleteValueW(key, to.c_str());
    return false;
}

bool TRegistry::MoveKey(const std::wstring& oldPath, const std::wstring& newPath, bool doDelete) {
    const std::wstring from = StripLeadingBackslash(oldPath), to = StripLeadingBackslash(newPath);
    // The destination must be free and must not lie inside the source.
    if (PathNames(to).empty() || PathNames(from).empty() || KeyExists(to) || SameOrBelow(from, to)) return false;
    return CopyRegistryKey(FRootKey, FRootKey, from, to, doDelete);
}

// ---- Delete ------------------------------------------------------------------------------

namespace {

// What a key tree walk opens a key with: read access to copy it, full access
// to delete it (and so to move it: a move copies only what it can delete).
REGSAM TreeAccess(bool deleting) { return deleting ? KEY_ALL_ACCESS : KEY_READ; }

// Deletes the key at path below parent with all its subkeys; true when it
// is gone. A leaf costs three calls: open, delete by handle, close.
bool DeleteTree(HKEY parent, const std::wstring& path, int depth) {
    TRegKey key;
    if (key.Open(parent, path, TreeAccess(true), REG_OPTION_OPEN_LINK) != ERROR_SUCCESS) return false;
    const NtDeleteKeyFn ntDelete = Nt().DeleteKey;
    // Refused while the key has subkeys.
    if (ntDelete && ntDelete(key.Get()) == 0) return true;
    TSubKeyEnum subKeys(key.Get());
    bool ok = depth < kMaxDepth && subKeys.Ok();
    if (ok) {
        // From the last index down: deleting keeps the lower indexes valid,
        // and a subkey that stays only shifts nothing below it.
        for (DWORD i = subKeys.Count(); i-- > 0;) {
            const LONG rc = subKeys.Read(i);
            if (rc == ERROR_NO_MORE_ITEMS) continue;  // removed meanwhile
            if (rc != ERROR_SUCCESS || !DeleteTree(key.Get(), subKeys.NameText(), depth + 1)) ok = false;
        }
    }
    // Deleted through the handle: a deletion by name would follow a link.
    if (ok && ntDelete) return ntDelete(key.Get()) == 0;
    key.Close();
    return ok && ::RegDeleteKeyW(parent, path.c_str()) == ERROR_SUCCESS;
}

// ---- Copy --------------------------------------------------------------------------------

// What a move changed at a destination that existed before, to take back
// when the move fails. Inside keys the copy created nothing is recorded:
// removing the created key removes it all.
struct TCopyJournal {
    struct Value {
        std::wstring Key;  // below the destination
        std::wstring Name;
        bool Existed = false;
        DWORD Type = REG_NONE;
        std::vector<BYTE> Data;
    };
    std::vector<std::wstring> CreatedKeys;  // below the destination
    std::vector<Value> Values;              // grouped by key, in copy order
};

class TTreeCopier {
public:
    // journal: record what is changed at an existing destination (a move);
    // a move also opens every source key with the right to delete it, so
    // that a source that could not be deleted whole is not copied at all.
    explicit TTreeCopier(TCopyJournal* journal) : FJournal(journal) {}

    bool Ok() const { return FOk; }

    // Values, then subkeys, of src into dst. dstIsNew: dst was created by
    // this copy; rel: its path below the destination (kept for a journal).
    void CopyKey(HKEY src, HKEY dst, bool dstIsNew, const std::wstring& rel, int depth) {
        TKeyInfo info;
        if (!QueryKeyInfo(src, info)) {
            FOk = false;
            return;
        }
        CopyValues(TValueEnum(src, info), dst, dstIsNew, rel);
        CopySubKeys(TSubKeyEnum(src, info), dst, dstIsNew, rel, depth);
    }

    void CopyValues(TValueEnum&& values, HKEY dst, bool dstIsNew, const std::wstring& rel) {
        if (!values.Ok()) FOk = false;
        for (DWORD i = 0; i < values.Count(); ++i) {
            const LONG rc = values.Read(i);
            if (rc == ERROR_NO_MORE_ITEMS) break;  // removed meanwhile
            if (rc != ERROR_SUCCESS) {
                FOk = false;
                continue;
            }
            if (FJournal && !dstIsNew) Remember(dst, rel, values.Name());
            if (!SetValueExact(dst, values.Name(), values.Type(), values.Data(), values.Size())) FOk = false;
        }
    }

    void CopySubKeys(TSubKeyEnum&& subKeys, HKEY dst, bool dstIsNew, const std::wstring& rel, int depth) {
        if (!subKeys.Ok()) FOk = false;
        const HKEY src = subKeys.Key();
        if (subKeys.Count() > 0 && depth >= kMaxDepth) {
            FOk = false;
            return;
        }
        for (DWORD i = 0; i < subKeys.Count(); ++i) {
            const LONG rc = subKeys.Read(i);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS) {
                FOk = false;
                continue;
            }
            const std::wstring name = subKeys.NameText();
            TRegKey s, d;
            if (s.Open(src, name, TreeAccess(FJournal != nullptr)) != ERROR_SUCCESS) {
                FOk = false;
                continue;
            }
            DWORD disposition = 0;
            if (::RegCreateKeyExW(dst, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                  nullptr, d.Put(), &disposition) != ERROR_SUCCESS) {
                d.Release();
                FOk = false;
                continue;
            }
            const bool created = disposition == REG_CREATED_NEW_KEY;
            const std::wstring childRel = FJournal && !dstIsNew ? JoinPath(rel, name) : std::wstring();
            if (FJournal && !dstIsNew && created) FJournal->CreatedKeys.push_back(childRel);
            CopyKey(s.Get(), d.Get(), dstIsNew || created, childRel, depth + 1);
        }
    }

private:
    // Records the destination's value before it is overwritten.
    void Remember(HKEY dst, const std::wstring& rel, const WCHAR* name) {
        TCopyJournal::Value v;
        v.Key = rel;
        v.Name = name;
        std::vector<BYTE> data(64);
        for (int attempt = 0; attempt < kGrowRetries; ++attempt) {
            DWORD size = static_cast<DWORD>(data.size());
            const LONG rc = ::RegQueryValueExW(dst, name, nullptr, &v.Type, data.data(), &size);
            if (rc == ERROR_MORE_DATA) {
                data.resize(std::max<size_t>(data.size() * 2, size));
                continue;
            }
            v.Existed = rc == ERROR_SUCCESS;
            if (v.Existed) v.Data.assign(data.begin(), data.begin() + size);
            break;
        }
        FJournal->Values.push_back(std::move(v));
    }

    TCopyJournal* FJournal;
    bool FOk = true;
};

// Takes back what a failed move wrote into a destination that existed.
void Undo(HKEY dstRoot, const std::wstring& dst, const TCopyJournal& journal) {
    TRegKey key;
    const std::wstring* open = nullptr;
    for (const auto& v : journal.Values) {
        if (!open || *open != v.Key) {
            open = &v.Key;
            key.Open(dstRoot, JoinPath(dst, v.Key), KEY_SET_VALUE);
        }
        if (!key) continue;
        if (v.Existed)
            SetValueExact(key.Get(), v.Name.c_str(), v.Type, v.Data.data(), static_cast<DWORD>(v.Data.size()));
        else
            ::RegDeleteValueW(key.Get(), v.Name.c_str());
    }
    for (auto it = journal.CreatedKeys.rbegin(); it != journal.CreatedKeys.rend(); ++it)
        DeleteTree(dstRoot, JoinPath(dst, *it), 0);
}

// The full name of an open key as the registry knows it, upper-cased, or
// empty when it cannot be had. A root key handle is a placeholder: its name
// is taken from a subkey's.
std::wstring KeyFullName(HKEY key) {
    const NtQueryKeyFn query = Nt().QueryKey;
    if (!query) return std::wstring();
    std::vector<BYTE> buf(1024);
    for (int attempt = 0; attempt < kGrowRetries; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(key, kKeyNameInformation, buf.data(), static_cast<ULONG>(buf.size()), &needed);
        if (status == 0) {
            ULONG bytes = 0;
            memcpy(&bytes, buf.data(), sizeof bytes);
            bytes = std::min<ULONG>(bytes, static_cast<ULONG>(buf.size() - sizeof(ULONG)));
            std::wstring name(bytes / sizeof(WCHAR), L'\0');
            if (!name.empty()) memcpy(&name[0], buf.data() + sizeof(ULONG), name.size() * sizeof(WCHAR));
            return UpperWide(name);
        }
        // STATUS_BUFFER_OVERFLOW, STATUS_BUFFER_TOO_SMALL
        if ((status == static_cast<LONG>(0x80000005) || status == static_cast<LONG>(0xC0000023)) &&
            needed > buf.size()) {
            buf.resize(needed);
            continue;
        }
        break;
    }
    if (!IsPredefined(key)) return std::wstring();
    WCHAR sub[512];
    DWORD len = 512;
    TRegKey child;
    if (::RegEnumKeyExW(key, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        child.Open(key, sub, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return std::wstring();
    const std::wstring name = KeyFullName(child.Get());
    const size_t cut = name.rfind(L'\\');
    return cut == std::wstring::npos ? std::wstring() : name.substr(0, cut);
}

// Whether inner is outer itself (1), lies below it (2) or neither (0).
int Nesting(const std::wstring& outer, const std::wstring& inner) {
    if (outer.empty() || inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return 0;
    if (inner.size() == outer.size()) return 1;
    return inner[outer.size()] == L'\\' ? 2 : 0;
}

// The destination, created name by name so that a failed move knows the
// highest key it made. created: that key's path, empty when all existed.
TRegKey CreateDestination(HKEY root, const std::wstring& path, std::wstring& created) {
    created.clear();
    std::wstring done;
    TRegKey key;  // none yet: the root, which is the caller's
    for (const std::wstring& name : PathNames(path)) {
        done = JoinPath(done, name);
        TRegKey next;
        DWORD disposition = 0;
        if (::RegCreateKeyExW(key ? key.Get() : root, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, next.Put(), &disposition) != ERROR_SUCCESS) {
            next.Release();
            key.Close();
            if (!created.empty()) DeleteTree(root, created, 0);
            created.clear();
            return TRegKey();
        }
        if (disposition == REG_CREATED_NEW_KEY && created.empty()) created = done;
        key = std::move(next);
    }
    return key;
}

// Takes back a move whose copy arrived in a destination it created but whose
// source could not be deleted whole: what was deleted of the source comes
// back from the copy, and the copy goes. True when that worked.
bool RestoreSource(HKEY srcRoot, const std::wstring& src, HKEY dstRoot, const std::wstring& dst,
                   const std::wstring& created) {
    TRegKey copy, source;
    if (copy.Open(dstRoot, dst, KEY_READ) != ERROR_SUCCESS) return false;
    if (::RegCreateKeyExW(srcRoot, src.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                          source.Put(), nullptr) != ERROR_SUCCESS) {
        source.Release();
        return false;
    }
    TTreeCopier back(nullptr);
    back.CopyKey(copy.Get(), source.Get(), false, std::wstring(), 0);
    copy.Close();
    return back.Ok() && DeleteTree(dstRoot, created, 0);
}

}  // namespace

bool CopyRegistryValues(HKEY src, HKEY dst) {
    TTreeCopier copier(nullptr);
    copier.CopyValues(TValueEnum(src), dst, false, std::wstring());
    return copier.Ok();
}

bool CopyRegistrySubKeys(HKEY src, HKEY dst) {
    TTreeCopier copier(nullptr);
    copier.CopySubKeys(TSubKeyEnum(src), dst, false, std::wstring(), 0);
    return copier.Ok();
}

bool CopyRegistryKey(HKEY srcRoot, HKEY dstRoot, const std::wstring& srcPath, const std::wstring& dstPath,
                     bool move) {
    try {
        const std::wstring src = StripLeadingBackslash(srcPath), dst = StripLeadingBackslash(dstPath);
        if (PathNames(dst).empty()) return false;
        if (move && PathNames(src).empty()) return false;  // a whole root is not moved

        TRegKey source;
        if (source.Open(srcRoot, src, TreeAccess(move)) != ERROR_SUCCESS) return false;
        std::wstring created;
        TRegKey dest = CreateDestination(dstRoot, dst, created);
        if (!dest) return false;

        // The same key or one inside the source under another name (an alias
        // of a root key): copying would never end, or delete what it copied.
        // The same for a move into an ancestor of the source.
        const std::wstring srcName = KeyFullName(source.Get()), dstName = KeyFullName(dest.Get());
        const int nesting = Nesting(srcName, dstName);
        if (nesting != 0 || (move && Nesting(dstName, srcName) != 0)) {
            dest.Close();
            if (!created.empty()) DeleteTree(dstRoot, created, 0);
            return nesting == 1;
        }

        TCopyJournal journal;
        TTreeCopier copier(move ? &journal : nullptr);
        copier.CopyKey(source.Get(), dest.Get(), !created.empty(), std::wstring(), 0);
        dest.Close();
        source.Close();

        if (!copier.Ok()) {
            if (move) {
                if (!created.empty())
                    DeleteTree(dstRoot, created, 0);
                else
                    Undo(dstRoot, dst, journal);
            }
            return false;
        }
        if (!move || DeleteTree(srcRoot, src, 0)) return true;
        // A destination that existed keeps the merge: copying it back would
        // bring its own keys and values into the source.
        if (!created.empty()) RestoreSource(srcRoot, src, dstRoot, dst, created);
        return false;
    } catch (...) {
        return false;
    }
}

bool DeleteRegistryTree(HKEY parent, const std::wstring& path) {
    try {
        const std::wstring p = StripLeadingBackslash(path);
        if (PathNames(p).empty()) return false;  // never the parent itself
        return DeleteTree(parent, p, 0);
    } catch (...) {
        return false;
    }
}

}  // namespace classlib
