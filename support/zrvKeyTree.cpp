// Key trees: delete, copy, move, paste, the paste check and new names.
//
// The walks use the wide registry functions so that names and string data
// pass unchanged whatever the code page, and they count their registry
// calls (each one is a round trip to the registry server): a key is opened
// once, enumerated by index with its data in one call per value, and the
// buffers are kept for the whole walk.
#include "zrvRegistry.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "zrvString.h"

namespace {

// The registry's own nesting limit; deeper walks stop and fail. It also ends
// a copy that would run into its own destination through a link the path
// checks cannot see.
const int kMaxDepth = 512;
// Retries of one entry whose name or data grew since it was sized.
const int kGrowRetries = 8;
// Longest value name, with its terminator.
const DWORD kValueNameChars = 16384;

// Deleting an open key and reading a key's full name save round trips and
// see through aliases of root keys; both are optional.
using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
using NtQueryKeyFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
const int kKeyNameInformation = 3;

struct NtRegistry {
    NtDeleteKeyFn DeleteKey = nullptr;
    NtQueryKeyFn QueryKey = nullptr;
};

const NtRegistry& Nt() {
    static const NtRegistry api = [] {
        NtRegistry a;
        if (HMODULE ntdll = ::GetModuleHandleA("ntdll.dll")) {
            a.DeleteKey = reinterpret_cast<NtDeleteKeyFn>(
                reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "NtDeleteKey")));
            a.QueryKey = reinterpret_cast<NtQueryKeyFn>(
                reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "NtQueryKey")));
        }
        return a;
    }();
    return api;
}

std::string StripLeadingBackslash(const std::string& path) {
    return (!path.empty() && path[0] == '\\') ? path.substr(1) : path;
}

std::wstring Widen(const std::string& s) {
    if (s.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::wstring UpperWide(std::wstring s) {
    if (!s.empty()) ::CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

std::wstring JoinPath(const std::wstring& a, const std::wstring& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + L'\\' + b;
}

// The non-empty names of a path.
std::vector<std::string> PathNames(const std::string& path) {
    std::vector<std::string> names;
    SplitByChar(path, '\\', names);
    return names;
}

bool KeyExists(HKEY root, const std::string& path) {
    if (path.empty()) return true;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

// ---- Delete ------------------------------------------------------------------

// Deletes the key at path below parent with all its subkeys; true when it
// is gone. A leaf costs three calls: open, delete by handle, close.
// A link key is deleted itself, never the key it points to.
bool DeleteTree(HKEY parent, const std::wstring& path, int depth) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    const NtDeleteKeyFn ntDelete = Nt().DeleteKey;
    // Refused while the key has subkeys.
    if (ntDelete && ntDelete(key) == 0) {
        ::RegCloseKey(key);
        return true;
    }
    DWORD count = 0, maxLen = 0;
    bool ok = depth < kMaxDepth && ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &maxLen, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    if (ok) {
        std::vector<WCHAR> name(std::max<DWORD>(maxLen, 255) + 1);
        // From the last index down: deleting keeps the lower indexes valid,
        // and a subkey that stays only shifts nothing below it.
        for (DWORD i = count; i-- > 0;) {
            DWORD len = static_cast<DWORD>(name.size());
            LONG rc = ::RegEnumKeyExW(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
            for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < kGrowRetries; ++attempt) {
                name.resize(name.size() * 2);
                len = static_cast<DWORD>(name.size());
                rc = ::RegEnumKeyExW(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
            }
            if (rc == ERROR_NO_MORE_ITEMS) continue;  // removed meanwhile
            if (rc != ERROR_SUCCESS || !DeleteTree(key, std::wstring(name.data(), len), depth + 1)) ok = false;
        }
    }
    bool gone = false;
    if (ok && ntDelete) gone = ntDelete(key) == 0;
    ::RegCloseKey(key);
    if (ok && !ntDelete) gone = ::RegDeleteKeyW(parent, path.c_str()) == ERROR_SUCCESS;
    return gone;
}

// ---- Copy --------------------------------------------------------------------

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
    explicit TTreeCopier(TCopyJournal* journal) : FJournal(journal), FValueName(kValueNameChars), FData(4096) {}

    bool Ok() const { return FOk; }

    // Values, then subkeys, of src into dst. dstIsNew: dst was created by
    // this copy; rel: its path below the destination (kept for a journal).
    void CopyKey(HKEY src, HKEY dst, bool dstIsNew, const std::wstring& rel, int depth) {
        DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxData = 0;
        if (::RegQueryInfoKeyW(src, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, &values, nullptr,
                               &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
            FOk = false;
            return;
        }
        CopyValues(src, dst, values, maxData, dstIsNew, rel);
        CopySubKeys(src, dst, subKeys, maxSubKeyLen, dstIsNew, rel, depth);
    }

    void CopyValues(HKEY src, HKEY dst, DWORD count, DWORD maxData, bool dstIsNew, const std::wstring& rel) {
        if (FData.size() < static_cast<size_t>(maxData) + 1) FData.resize(static_cast<size_t>(maxData) + 1);
        for (DWORD i = 0; i < count; ++i) {
            DWORD nameLen = 0, dataLen = 0, type = REG_NONE;
            LONG rc = ERROR_MORE_DATA;
            for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < kGrowRetries; ++attempt) {
                nameLen = static_cast<DWORD>(FValueName.size());
                dataLen = static_cast<DWORD>(FData.size());
                rc = ::RegEnumValueW(src, i, FValueName.data(), &nameLen, nullptr, &type, FData.data(), &dataLen);
                // The data grew since the key was sized: take what it needs now.
                if (rc == ERROR_MORE_DATA) FData.resize(std::max<size_t>(FData.size() * 2, dataLen + 1));
            }
            if (rc == ERROR_NO_MORE_ITEMS) break;  // removed meanwhile
            if (rc != ERROR_SUCCESS) {
                FOk = false;
                continue;
            }
            if (FJournal && !dstIsNew) Remember(dst, rel, FValueName.data());
            if (::RegSetValueExW(dst, FValueName.data(), 0, type, FData.data(), dataLen) != ERROR_SUCCESS) FOk = false;
        }
    }

    void CopySubKeys(HKEY src, HKEY dst, DWORD count, DWORD maxLen, bool dstIsNew, const std::wstring& rel,
                     int depth) {
        if (count > 0 && depth >= kMaxDepth) {
            FOk = false;
            return;
        }
        std::vector<WCHAR> buf(std::max<DWORD>(maxLen, 255) + 1);
        for (DWORD i = 0; i < count; ++i) {
            DWORD len = static_cast<DWORD>(buf.size());
            LONG rc = ::RegEnumKeyExW(src, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
            for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < kGrowRetries; ++attempt) {
                buf.resize(buf.size() * 2);
                len = static_cast<DWORD>(buf.size());
                rc = ::RegEnumKeyExW(src, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
            }
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS) {
                FOk = false;
                continue;
            }
            const std::wstring name(buf.data(), len);
            HKEY s = nullptr, d = nullptr;
            if (::RegOpenKeyExW(src, name.c_str(), 0, KEY_READ, &s) != ERROR_SUCCESS) {
                FOk = false;
                continue;
            }
            DWORD disposition = 0;
            if (::RegCreateKeyExW(dst, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                  nullptr, &d, &disposition) != ERROR_SUCCESS) {
                ::RegCloseKey(s);
                FOk = false;
                continue;
            }
            const bool created = disposition == REG_CREATED_NEW_KEY;
            const std::wstring childRel = FJournal && !dstIsNew ? JoinPath(rel, name) : std::wstring();
            if (FJournal && !dstIsNew && created) FJournal->CreatedKeys.push_back(childRel);
            CopyKey(s, d, dstIsNew || created, childRel, depth + 1);
            ::RegCloseKey(d);
            ::RegCloseKey(s);
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
    std::vector<WCHAR> FValueName;
    std::vector<BYTE> FData;
    bool FOk = true;
};

// Takes back what a failed move wrote into a destination that existed.
void Undo(HKEY dstRoot, const std::wstring& dst, const TCopyJournal& journal) {
    HKEY key = nullptr;
    const std::wstring* open = nullptr;
    for (const auto& v : journal.Values) {
        if (!open || *open != v.Key) {
            if (key) ::RegCloseKey(key);
            key = nullptr;
            open = &v.Key;
            ::RegOpenKeyExW(dstRoot, JoinPath(dst, v.Key).c_str(), 0, KEY_SET_VALUE, &key);
        }
        if (!key) continue;
        if (v.Existed)
            ::RegSetValueExW(key, v.Name.c_str(), 0, v.Type, v.Data.empty() ? nullptr : v.Data.data(),
                             static_cast<DWORD>(v.Data.size()));
        else
            ::RegDeleteValueW(key, v.Name.c_str());
    }
    if (key) ::RegCloseKey(key);
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
    if (!IsRootKey(key)) return std::wstring();
    WCHAR sub[512];
    DWORD len = 512;
    HKEY child = nullptr;
    if (::RegEnumKeyExW(key, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        ::RegOpenKeyExW(key, sub, 0, KEY_QUERY_VALUE, &child) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring name = KeyFullName(child);
    ::RegCloseKey(child);
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
HKEY CreateDestination(HKEY root, const std::string& path, std::wstring& created) {
    created.clear();
    std::wstring done;
    HKEY key = root;
    for (const std::string& name : PathNames(path)) {
        const std::wstring w = Widen(name);
        done = JoinPath(done, w);
        HKEY next = nullptr;
        DWORD disposition = 0;
        const LONG rc = ::RegCreateKeyExW(key, w.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                          nullptr, &next, &disposition);
        if (key != root) ::RegCloseKey(key);
        if (rc != ERROR_SUCCESS) {
            if (!created.empty()) DeleteTree(root, created, 0);
            created.clear();
            return nullptr;
        }
        if (disposition == REG_CREATED_NEW_KEY && created.empty()) created = done;
        key = next;
    }
    return key == root ? nullptr : key;
}

bool CopyKeyTree(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstPath,
                 bool deleteSource) {
    const std::string src = StripLeadingBackslash(srcPath), dst = StripLeadingBackslash(dstPath);
    if (PathNames(dst).empty()) return false;
    if (deleteSource && PathNames(src).empty()) return false;  // a whole root is not moved
    if (SameKey(srcRoot, dstRoot) && UpperCaseAscii(src) == UpperCaseAscii(dst)) return KeyExists(srcRoot, src);

    // The same place named through the same or a mapped root.
    if (IsRootKey(srcRoot) && IsRootKey(dstRoot)) {
        HKEY sr = srcRoot, dr = dstRoot;
        std::string sp, dp;
        MapRootKey(sr, sp);
        MapRootKey(dr, dp);
        if (SameKey(sr, dr)) {
            const std::string fullSrc = sp.empty() ? src : sp + "\\" + src;
            const std::string fullDst = dp.empty() ? dst : dp + "\\" + dst;
            if (IsSameOrSubPath(fullSrc, fullDst))
                return IsSameOrSubPath(fullDst, fullSrc) ? KeyExists(srcRoot, src) : false;
            // A move into one of its own ancestors would merge into the key
            // that holds the source, and then delete what it merged.
            if (deleteSource && IsSameOrSubPath(fullDst, fullSrc)) return false;
        }
    }

    HKEY source = srcRoot;
    if (!src.empty() && ::RegOpenKeyExW(srcRoot, Widen(src).c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS)
        return false;
    const auto closeSource = [&] {
        if (source != srcRoot) ::RegCloseKey(source);
    };

    std::wstring created;
    HKEY dest = CreateDestination(dstRoot, dst, created);
    if (!dest) {
        closeSource();
        return false;
    }

    // The same key or one inside the source under another name (an alias
    // of a root key): copying would never end, or delete what it copied.
    // The same for a move into an ancestor of the source.
    const std::wstring srcName = KeyFullName(source), dstName = KeyFullName(dest);
    const int nesting = Nesting(srcName, dstName);
    if (nesting != 0 || (deleteSource && Nesting(dstName, srcName) != 0)) {
        ::RegCloseKey(dest);
        closeSource();
        if (!created.empty()) DeleteTree(dstRoot, created, 0);
        return nesting == 1;
    }

    TCopyJournal journal;
    TTreeCopier copier(deleteSource ? &journal : nullptr);
    copier.CopyKey(source, dest, !created.empty(), std::wstring(), 0);
    ::RegCloseKey(dest);
    closeSource();

    if (!copier.Ok()) {
        if (deleteSource) {
            if (!created.empty())
                DeleteTree(dstRoot, created, 0);
            else
                Undo(dstRoot, Widen(dst), journal);
        }
        return false;
    }
    return deleteSource ? DeleteTree(srcRoot, Widen(src), 0) : true;
}

}  // namespace

bool RegDeleteKeyTree(HKEY root, const std::string& path) {
    try {
        const std::string p = StripLeadingBackslash(path);
        if (PathNames(p).empty()) return false;
        return DeleteTree(root, Widen(p), 0);
    } catch (...) {
        return false;
    }
}

bool RegCopyValues(HKEY src, HKEY dst) {
    try {
        DWORD values = 0, maxData = 0;
        if (::RegQueryInfoKeyW(src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, &maxData,
                               nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        TTreeCopier copier(nullptr);
        copier.CopyValues(src, dst, values, maxData, false, std::wstring());
        return copier.Ok();
    } catch (...) {
        return false;
    }
}

bool RegCopySubKeys(HKEY src, HKEY dst) {
    try {
        DWORD subKeys = 0, maxLen = 0;
        if (::RegQueryInfoKeyW(src, nullptr, nullptr, nullptr, &subKeys, &maxLen, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        TTreeCopier copier(nullptr);
        copier.CopySubKeys(src, dst, subKeys, maxLen, false, std::wstring(), 0);
        return copier.Ok();
    } catch (...) {
        return false;
    }
}

bool RegCopyKey(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstPath,
                bool deleteSource) {
    try {
        return CopyKeyTree(srcRoot, dstRoot, srcPath, dstPath, deleteSource);
    } catch (...) {
        return false;
    }
}

bool RegPasteKey(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstParent) {
    try {
        const std::string src = StripLeadingBackslash(srcPath);
        if (src.empty()) return false;
        const std::string last = src.find('\\') == std::string::npos ? src : AfterLastChar(src, '\\');
        if (last.empty()) return false;
        const std::string parent = StripLeadingBackslash(dstParent);
        return RegCopyKey(srcRoot, dstRoot, src, parent.empty() ? last : parent + "\\" + last, false);
    } catch (...) {
        return false;
    }
}

bool CanPasteKey(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstParent) {
    if (srcPath.empty() || !IsRootKey(srcRoot) || !IsRootKey(dstRoot)) return false;
    std::string srcPrefix, dstPrefix;
    MapRootKey(srcRoot, srcPrefix);
    MapRootKey(dstRoot, dstPrefix);
    if (!SameKey(srcRoot, dstRoot)) return true;
    const std::string fullSrc = srcPrefix.empty() ? srcPath : srcPrefix + "\\" + srcPath;
    std::string fullDst = dstPrefix;
    if (!dstParent.empty()) fullDst = fullDst.empty() ? dstParent : fullDst + "\\" + dstParent;
    const std::vector<std::string> srcNames = PathNames(fullSrc);
    if (srcNames.empty()) return false;
    const std::string target = fullDst.empty() ? srcNames.back() : fullDst + "\\" + srcNames.back();
    // Onto itself (into its own parent) or anywhere inside its own subtree.
    return !IsSameOrSubPath(fullSrc, target);
}

bool IsSameOrSubPath(const std::string& path, const std::string& other) {
    // Names are compared whole and as they are: blanks at their ends are
    // part of a key name.
    const std::vector<std::string> outer = PathNames(UpperCaseAscii(path));
    if (outer.empty()) return true;
    const std::vector<std::string> inner = PathNames(UpperCaseAscii(other));
    if (inner.size() < outer.size()) return false;
    for (size_t i = 0; i < outer.size(); ++i)
        if (outer[i] != inner[i]) return false;
    return true;
}

namespace {

std::string FreeName(HKEY root, const std::string& path, const std::string& base, bool values) {
    std::set<std::string> taken;
    try {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root, Widen(StripLeadingBackslash(path)).c_str(), 0, KEY_ALL_ACCESS, &key) ==
            ERROR_SUCCESS) {
            classlib::TStringList names;
            if (values)
                RegGetValueList(key, names, nullptr, false);
            else
                RegGetKeyNames(key, names);
            if (key != root) ::RegCloseKey(key);
            for (int i = 0; i < names.Count(); ++i) taken.insert(UpperCaseAscii(names[i]));
        }
    } catch (...) {
        taken.clear();
    }
    const std::string upper = UpperCaseAscii(base);
    for (unsigned long n = 1;; ++n)
        if (!taken.count(upper + std::to_string(n))) return base + std::to_string(n);
}

}  // namespace

std::string NewKeyName(HKEY root, const std::string& path) { return FreeName(root, path, "New Key #", false); }

std::string NewValueName(HKEY root, const std::string& path) { return FreeName(root, path, "New Value #", true); }
