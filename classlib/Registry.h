#pragma once
// The registry key class: one root, at most one open key, and the value and
// key operations the program needs. Failures of reads and writes raise
// ERegistryException; opening and the existence tests answer with a Boolean.
// Also what every registry walk of the program shares: the key-information
// record, an owned key handle, the enumerators, and the copy, move and
// delete of whole key trees.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Exceptions.h"
#include "Text.h"

namespace classlib {

enum class TRegDataType { rdUnknown = 0, rdString = 1, rdExpandString = 2, rdInteger = 3, rdBinary = 4 };

// Key information. Enumerations size their buffers from it. On the NT family
// with a far-east (double-byte) system locale the two name lengths are
// doubled, so that buffers hold names in double-byte characters; the data
// size never is.
struct TKeyInfo {
    DWORD NumSubKeys = 0;
    DWORD MaxSubKeyLen = 0;     // characters, without the terminating NUL
    DWORD NumValues = 0;
    DWORD MaxValueNameLen = 0;  // characters, without the terminating NUL
    DWORD MaxDataLen = 0;       // bytes
    FILETIME LastWriteTime{};
};

// Clears info and reads it; true when the key could be queried. The name
// lengths are doubled as above also after a failure (0 stays 0).
bool ReadKeyInfo(HKEY key, TKeyInfo& info);


// Writes a value with exactly these bytes. The registry functions add a
// terminator to string data that has none; copies must not.
bool SetValueExact(HKEY key, const WCHAR* name, DWORD type, const void* data, DWORD size);

// An open registry key that closes itself. Root keys are never closed.
class TRegKey {
public:
    TRegKey() = default;
    explicit TRegKey(HKEY key) : FKey(key) {}
    ~TRegKey() { Close(); }
    TRegKey(TRegKey&& o) noexcept : FKey(o.Release()) {}
    TRegKey& operator=(TRegKey&& o) noexcept {
        if (this != &o) {
            Close();
            FKey = o.Release();
        }
        return *this;
    }
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;

    HKEY Get() const { return FKey; }
    explicit operator bool() const { return FKey != nullptr; }
    // The slot for an API that opens a key; what was open before is closed.
    HKEY* Put() {
        Close();
        return &FKey;
    }
    HKEY Release() {
        HKEY k = FKey;
        FKey = nullptr;
        return k;
    }
    void Close();

    // Opens path below parent (an empty path: parent itself, not owned).
    LONG Open(HKEY parent, const std::wstring& path, REGSAM access, DWORD options = 0);

private:
    HKEY FKey = nullptr;
};

// Enumerates the subkeys of an open key by index with one name buffer sized
// from the key information; a name that grew since is read again with the
// size the system reports now. Names are wide: their lengths need no
// far-east doubling, and Info() is as the system counts.
class TSubKeyEnum {
public:
    explicit TSubKeyEnum(HKEY key);
    TSubKeyEnum(HKEY key, const TKeyInfo& info);  // with the information already read
    bool Ok() const { return FOk; }  // the key information could be read
    HKEY Key() const { return FKey; }
    const TKeyInfo& Info() const { return FInfo; }
    DWORD Count() const { return FInfo.NumSubKeys; }
    // ERROR_SUCCESS (the name is in Name()), ERROR_NO_MORE_ITEMS or another error.
    LONG Read(DWORD index);
    const WCHAR* Name() const { return FName.data(); }
    DWORD NameLength() const { return FNameLen; }
    std::wstring NameText() const { return std::wstring(FName.data(), FNameLen); }

private:
    void SizeBuffers();
    HKEY FKey;
    TKeyInfo FInfo;
    bool FOk;
    std::vector<WCHAR> FName;
    DWORD FNameLen = 0;
};

// Enumerates the values of an open key by index, each with its type and data
// in one call (or names only), with buffers sized once; a name or data that
// grew since is read again with the size the system reports now.
class TValueEnum {
public:
    explicit TValueEnum(HKEY key, bool withData = true);
    TValueEnum(HKEY key, const TKeyInfo& info, bool withData = true);  // with the information already read
    bool Ok() const { return FOk; }
    const TKeyInfo& Info() const { return FInfo; }
    DWORD Count() const { return FInfo.NumValues; }
    LONG Read(DWORD index);
    const WCHAR* Name() const { return FName.data(); }
    DWORD NameLength() const { return FNameLen; }
    std::wstring NameText() const { return std::wstring(FName.data(), FNameLen); }
    DWORD Type() const { return FType; }
    const BYTE* Data() const { return FData.data(); }
    DWORD Size() const { return FSize; }

private:
    void SizeBuffers();
    HKEY FKey;
    TKeyInfo FInfo;
    bool FOk;
    bool FWithData;
    std::vector<WCHAR> FName;
    std::vector<BYTE> FData;
    DWORD FNameLen = 0, FType = REG_NONE, FSize = 0;
};

// A value exactly as stored: raw type and bytes.
struct TRegRawValue {
    DWORD Type = REG_NONE;
    std::vector<BYTE> Data;
};

class TRegistry {
public:
    TRegistry() = default;
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY root);  // closes the open key
    HKEY CurrentKey() const { return FCurrentKey.Get(); }

    // Opens a path below the root (a leading "\" is ignored) for reading and
    // writing, closing the key open before. With canCreate the missing
    // levels are created. Paths and names in wide form are the registry's
    // real ones; the ANSI forms are in the code page.
    bool OpenKey(const std::wstring& path, bool canCreate);
    bool OpenKey(const std::string& path, bool canCreate) { return OpenKey(ToWide(path), canCreate); }
    // Opens a path for reading only: enough to list and read a key.
    bool OpenKeyReadOnly(const std::wstring& path);
    bool OpenKeyReadOnly(const std::string& path) { return OpenKeyReadOnly(ToWide(path)); }
    void CloseKey();

    bool GetKeyInfo(TKeyInfo& info) const;
    bool KeyExists(const std::wstring& path) const;  // below the root
    bool KeyExists(const std::string& path) const { return KeyExists(ToWide(path)); }
    bool ValueExists(const std::wstring& name) const;
    bool ValueExists(const std::string& name) const { return ValueExists(ToWide(name)); }
    bool HasSubKeys() const;

    TRegDataType GetDataType(const std::string& name) const;
    int GetDataSize(const std::string& name) const;  // -1 when it cannot be read

    std::string ReadString(const std::string& name) const;
    // The string as stored, through the wide functions: exact whatever the
    // code page holds.
    std::wstring ReadWideString(const std::wstring& name) const;
    void WriteString(const std::wstring& name, const std::string& value);
    void WriteString(const std::string& name, const std::string& value) { WriteString(ToWide(name), value); }
    void WriteString(const std::wstring& name, const std::wstring& value);
    void WriteExpandString(const std::wstring& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value) {
        WriteExpandString(ToWide(name), value);
    }
    int ReadInteger(const std::string& name) const;
    void WriteInteger(const std::wstring& name, int value);
    void WriteInteger(const std::string& name, int value) { WriteInteger(ToWide(name), value); }
    int ReadBinaryData(const std::string& name, void* buffer, int size) const;
    void WriteBinaryData(const std::wstring& name, const void* buffer, int size);
    void WriteBinaryData(const std::string& name, const void* buffer, int size) {
        WriteBinaryData(ToWide(name), buffer, size);
    }
    TRegRawValue ReadRaw(const std::string& name) const;
    void WriteRaw(const std::string& name, const TRegRawValue& value);

    bool DeleteValue(const std::wstring& name);
    bool DeleteValue(const std::string& name) { return DeleteValue(ToWide(name)); }
    // Deletes a key below the current key (or below the root when no key is
    // open) with everything under it.
    bool DeleteKey(const std::string& path);
    // Renames a value of the open key: the new value is written first, the
    // old one deleted only after that succeeded. False when nothing changed.
    bool RenameValue(const std::wstring& oldName, const std::wstring& newName);
    bool RenameValue(const std::string& oldName, const std::string& newName) {
        return RenameValue(ToWide(oldName), ToWide(newName));
    }
    // Copies the key oldPath (below the root) to newPath, which must not
    // exist, with all values and subkeys; with doDelete it is a move (see
    // CopyRegistryKey). Returns whether it succeeded.
    bool MoveKey(const std::wstring& oldPath, const std::wstring& newPath, bool doDelete);
    bool MoveKey(const std::string& oldPath, const std::string& newPath, bool doDelete) {
        return MoveKey(ToWide(oldPath), ToWide(newPath), doDelete);
    }

private:
    HKEY BaseKey() const { return FCurrentKey ? FCurrentKey.Get() : FRootKey; }
    bool Open(const std::wstring& path, bool canCreate, REGSAM access);
    DWORD QueryRaw(const std::string& name, DWORD& type, std::vector<BYTE>& data) const;
    void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD size);

    HKEY FRootKey = HKEY_CURRENT_USER;
    TRegKey FCurrentKey;
};

// ---- Whole key trees ---------------------------------------------------------
// Values are copied as stored (raw type number and exact bytes, every type)
// and names pass through the wide functions unchanged. Nothing here raises.

// Copies every value of src into dst (same-named values are overwritten,
// others stay); true when every value arrived.
bool CopyRegistryValues(HKEY src, HKEY dst);
// Copies every subkey of src, with its values and subkeys, into dst
// (created or merged into); true when every key and value arrived.
bool CopyRegistrySubKeys(HKEY src, HKEY dst);
// Copies the key src below srcRoot to dst below dstRoot (created, or merged
// into when it exists), values before subkeys. With move the source is
// deleted only when the whole tree arrived, and a source with a key that
// cannot be opened for deletion is not copied at all. A move that fails
// leaves the source whole, removes what the copy added at the destination
// and gives overwritten values back. Should the deletion itself fail part
// way, a destination that the move created gives the source back and goes;
// one that existed keeps the merge. A destination that is the source itself
// (also through an alias of a root key) changes nothing and gives true; one
// inside the source, and a move into an ancestor, give false.
bool CopyRegistryKey(HKEY srcRoot, HKEY dstRoot, const std::wstring& src, const std::wstring& dst, bool move);
// Deletes a key below parent with all its subkeys; true when the key is gone.
// A link key is deleted itself, never the key it points to. An empty path
// deletes nothing and gives false.
bool DeleteRegistryTree(HKEY parent, const std::wstring& path);
inline bool DeleteRegistryTree(HKEY parent, const std::string& path) {
    return DeleteRegistryTree(parent, ToWide(path));
}

}  // namespace classlib
