#pragma once
// The registry key class: one root, at most one open key, and the value and
// key operations the program needs. Failures of reads and writes raise
// ERegistryException; opening and the existence tests answer with a Boolean.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Exceptions.h"

namespace classlib {

enum class TRegDataType { rdUnknown = 0, rdString = 1, rdExpandString = 2, rdInteger = 3, rdBinary = 4 };

struct TRegKeyInfo {
    DWORD NumSubKeys = 0;
    DWORD MaxSubKeyLen = 0;
    DWORD NumValues = 0;
    DWORD MaxValueLen = 0;
    DWORD MaxDataLen = 0;
    FILETIME FileTime{};
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
    HKEY CurrentKey() const { return FCurrentKey; }
    const std::string& CurrentPath() const { return FCurrentPath; }

    // Opens a path below the root (a leading "\" is ignored), closing the
    // key open before. With canCreate the missing levels are created.
    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey();

    bool GetKeyInfo(TRegKeyInfo& info) const;
    bool KeyExists(const std::string& path) const;  // below the root
    bool ValueExists(const std::string& name) const;
    bool HasSubKeys() const;

    TRegDataType GetDataType(const std::string& name) const;
    int GetDataSize(const std::string& name) const;  // -1 when it cannot be read

    std::string ReadString(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    int ReadInteger(const std::string& name) const;
    void WriteInteger(const std::string& name, int value);
    int ReadBinaryData(const std::string& name, void* buffer, int size) const;
    void WriteBinaryData(const std::string& name, const void* buffer, int size);
    TRegRawValue ReadRaw(const std::string& name) const;
    void WriteRaw(const std::string& name, const TRegRawValue& value);

    bool DeleteValue(const std::string& name);
    // Deletes a key below the current key (or below the root when no key is
    // open) with everything under it.
    bool DeleteKey(const std::string& path);
    // Renames a value of the open key: the new value is written first, the
    // old one deleted only after that succeeded. False when nothing changed.
    bool RenameValue(const std::string& oldName, const std::string& newName);
    // Copies the key oldPath (below the root) to newPath, with all values
    // and subkeys; with doDelete the source goes only when the whole copy
    // arrived. Returns whether it succeeded; a failed copy is removed again.
    bool MoveKey(const std::string& oldPath, const std::string& newPath, bool doDelete);

private:
    HKEY BaseKey() const { return FCurrentKey ? FCurrentKey : FRootKey; }
    DWORD QueryRaw(const std::string& name, DWORD& type, std::vector<BYTE>& data) const;
    void SetRaw(const std::string& name, DWORD type, const void* data, DWORD size);

    HKEY FRootKey = HKEY_CURRENT_USER;
    HKEY FCurrentKey = nullptr;
    std::string FCurrentPath;
};

// Copies every value and subkey of src into dst, raw; true when all arrived.
bool CopyRegistryTree(HKEY src, HKEY dst);
// Deletes a key with all its subkeys; true when the key is gone.
bool DeleteRegistryTree(HKEY parent, const std::string& name);

}  // namespace classlib
