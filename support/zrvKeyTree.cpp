// Key trees: delete, copy, move, paste, the paste check and new names.
// The walks themselves are the class library's (Registry.h); here are the
// checks on paths and root keys that come before them.
#include "zrvRegistry.h"

#include <algorithm>
#include <set>
#include <vector>

#include "zrvString.h"

using classlib::ToWide;

namespace {

std::string StripLeadingBackslash(const std::string& path) {
    return (!path.empty() && path[0] == '\\') ? path.substr(1) : path;
}

// The non-empty names of a path.
std::vector<std::string> PathNames(const std::string& path) {
    std::vector<std::string> names;
    SplitByChar(path, '\\', names);
    return names;
}

bool KeyExists(HKEY root, const std::string& path) {
    classlib::TRegKey key;
    return path.empty() || key.Open(root, ToWide(path), KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

bool CopyKeyTree(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstPath,
                 bool deleteSource) {
    const std::string src = StripLeadingBackslash(srcPath), dst = StripLeadingBackslash(dstPath);
    if (PathNames(dst).empty()) return false;
    if (deleteSource && PathNames(src).empty()) return false;  // a whole root is not moved
    if (SameKey(srcRoot, dstRoot) && UpperCaseAscii(src) == UpperCaseAscii(dst)) return KeyExists(srcRoot, src);

    // The same place named through the same or a mapped root, seen before
    // anything is created.
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
    return classlib::CopyRegistryKey(srcRoot, dstRoot, ToWide(src), ToWide(dst), deleteSource);
}

}  // namespace

bool RegDeleteKeyTree(HKEY root, const std::string& path) { return classlib::DeleteRegistryTree(root, path); }

bool RegDeleteKeyTree(HKEY root, const std::wstring& path) { return classlib::DeleteRegistryTree(root, path); }

bool RegCopyValues(HKEY src, HKEY dst) { return classlib::CopyRegistryValues(src, dst); }

bool RegCopySubKeys(HKEY src, HKEY dst) { return classlib::CopyRegistrySubKeys(src, dst); }

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

namespace {

std::wstring StripLeadingBackslash(const std::wstring& path) {
    return (!path.empty() && path[0] == L'\\') ? path.substr(1) : path;
}

// The non-empty names of a path, upper-cased as the registry compares them.
std::vector<std::wstring> UpperPathNames(const std::wstring& path) {
    std::vector<std::wstring> names(1);
    for (WCHAR c : path) {
        if (c != L'\\')
            names.back() += c;
        else if (!names.back().empty())
            names.emplace_back();
    }
    if (names.back().empty()) names.pop_back();
    for (std::wstring& n : names) ::CharUpperBuffW(&n[0], static_cast<DWORD>(n.size()));
    return names;
}

}  // namespace

bool RegPasteKey(HKEY srcRoot, HKEY dstRoot, const std::wstring& srcPath, const std::wstring& dstParent) {
    try {
        const std::wstring src = StripLeadingBackslash(srcPath);
        const size_t slash = src.rfind(L'\\');
        const std::wstring last = slash == std::wstring::npos ? src : src.substr(slash + 1);
        if (last.empty()) return false;
        classlib::TRegKey parent;
        if (parent.Open(dstRoot, StripLeadingBackslash(dstParent), KEY_CREATE_SUB_KEY | KEY_QUERY_VALUE) !=
            ERROR_SUCCESS)
            return false;
        return classlib::CopyRegistryKey(srcRoot, parent.Get(), src, last, false);
    } catch (...) {
        return false;
    }
}

bool CanPasteKey(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstParent) {
    return CanPasteKey(srcRoot, dstRoot, ToWide(srcPath), ToWide(dstParent));
}

bool CanPasteKey(HKEY srcRoot, HKEY dstRoot, const std::wstring& srcPath, const std::wstring& dstParent) {
    if (srcPath.empty() || !IsRootKey(srcRoot) || !IsRootKey(dstRoot)) return false;
    std::string srcPrefix, dstPrefix;
    MapRootKey(srcRoot, srcPrefix);
    MapRootKey(dstRoot, dstPrefix);
    const std::vector<std::wstring> names = UpperPathNames(srcPath);
    if (names.empty()) return false;
    if (!SameKey(srcRoot, dstRoot)) return true;
    std::vector<std::wstring> src = UpperPathNames(ToWide(srcPrefix)), dst = UpperPathNames(ToWide(dstPrefix));
    src.insert(src.end(), names.begin(), names.end());
    for (const std::wstring& n : UpperPathNames(dstParent)) dst.push_back(n);
    // The target is the destination and the source's last name: refused when
    // it is the source itself (a paste into its own parent) or lies inside it.
    dst.push_back(src.back());
    return !(dst.size() >= src.size() && std::equal(src.begin(), src.end(), dst.begin()));
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

std::string FreeName(HKEY root, const std::wstring& path, const std::string& base, bool values) {
    std::set<std::string> taken;
    try {
        classlib::TRegKey key;
        if (key.Open(root, !path.empty() && path[0] == L'\\' ? path.substr(1) : path, KEY_READ) == ERROR_SUCCESS) {
            classlib::TStringList names;
            if (values)
                RegGetValueList(key.Get(), names, nullptr, false);
            else
                RegGetKeyNames(key.Get(), names);
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

std::string NewKeyName(HKEY root, const std::string& path) { return NewKeyName(root, ToWide(path)); }

std::string NewValueName(HKEY root, const std::string& path) { return NewValueName(root, ToWide(path)); }

std::string NewKeyName(HKEY root, const std::wstring& path) { return FreeName(root, path, "New Key #", false); }

std::string NewValueName(HKEY root, const std::wstring& path) { return FreeName(root, path, "New Value #", true); }
