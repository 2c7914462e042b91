#pragma once
// Whole key trees on raw handles: delete, copy, move, paste, the paste
// check and free names for new keys and values. Part of zrvRegistry (include
// that header). Paths are below a root key or an open key, written with "\"
// between names; a leading "\" is ignored. Nothing here raises or shows a
// message: failures give false. Every key opened here is closed again.
//
// Values are copied as stored: the raw type number and the exact bytes, for
// every type, and names are carried through the wide registry functions, so
// nothing is lost to the code page. The walks are the class library's
// (CopyRegistryKey, DeleteRegistryTree in Registry.h).
#include <windows.h>

#include <string>

// Deletes the key at path below root (a root key or an open key) with every
// subkey. True only when the key itself is gone. A subkey that cannot be
// opened with full access or cannot be deleted stays with its ancestors, and
// the result is false; the keys deleted before it stay deleted. An empty
// path deletes nothing and gives false.
bool RegDeleteKeyTree(HKEY root, const std::string& path);
bool RegDeleteKeyTree(HKEY root, const std::wstring& path);

// Copy every value of src into dst (same names, types and bytes; same-named
// values in dst are overwritten, others stay). True when every value arrived.
bool RegCopyValues(HKEY src, HKEY dst);
// Copy every subkey of src, with its values and subkeys, into dst (created
// or merged into). True when every key and value arrived.
bool RegCopySubKeys(HKEY src, HKEY dst);

// Copies the key srcPath below srcRoot to dstPath below dstRoot (created,
// or merged into when it exists), values before subkeys. With deleteSource
// it is a move: the source is deleted only when the whole tree arrived;
// otherwise the source stays, what the copy added at the destination is
// removed again and overwritten values get their old data back.
// True when the copy (and for a move the deletion) succeeded. A key onto
// itself (also through another root, as HKEY_CLASSES_ROOT) changes nothing
// and gives true when the key exists; a destination inside the source's own
// subtree is refused, as are moving a key into one of its own ancestors and
// moving a whole root (empty source path).
bool RegCopyKey(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstPath, bool deleteSource);

// Copies the key srcPath under the key dstParent (empty: directly under the
// root), keeping its last name. True when everything arrived; a partial copy
// stays in place.
bool RegPasteKey(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstParent);
// The same by the keys' real names, into a parent that must exist: a parent
// deleted meanwhile (or one the user may not create keys in) makes it fail
// before anything is written, and is never made again.
bool RegPasteKey(HKEY srcRoot, HKEY dstRoot, const std::wstring& srcPath, const std::wstring& dstParent);

// Whether pasting srcPath under dstParent is allowed: both roots are root
// keys, the source is not a root, and the target is neither the source
// itself nor inside it (HKEY_CLASSES_ROOT counts as
// HKEY_LOCAL_MACHINE\Software\Classes).
bool CanPasteKey(HKEY srcRoot, HKEY dstRoot, const std::string& srcPath, const std::string& dstParent);
// The same by real names. Only the strings are compared: no key is opened.
bool CanPasteKey(HKEY srcRoot, HKEY dstRoot, const std::wstring& srcPath, const std::wstring& dstParent);

// True when other is path itself or lies below it, name by name, ignoring
// case. An empty path contains everything.
bool IsSameOrSubPath(const std::string& path, const std::string& other);

// The first free "New Key #n" / "New Value #n" (n = 1, 2, ...) in the key;
// "... #1" when the key cannot be opened.
std::string NewKeyName(HKEY root, const std::string& path);
std::string NewValueName(HKEY root, const std::string& path);
// The same in a key named by its real (wide) path.
std::string NewKeyName(HKEY root, const std::wstring& path);
std::string NewValueName(HKEY root, const std::wstring& path);
