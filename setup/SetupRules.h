#pragma once
// Path rules and the uninstall batch of the installer and the uninstaller.
// Standard C++ only: built for Windows and natively for the sanitizers and
// the fuzzer. Paths are wide: the folders the user names are used by their
// real names, never by their form in a code page.
#include <string>
#include <vector>

// The prefixes of text ending before each separator, searched from left to
// right, then the whole text. An empty separator gives the whole text only.
void SplitPrefixes(const std::wstring& text, const std::wstring& separator, std::vector<std::wstring>& list);

// folder + "\" + name, without doubling a trailing "\" of the folder.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The install folder for a destination: <destination>\Zarvo\Tessmorel.
std::wstring InstallDirFor(const std::wstring& destination);

// A fully qualified path: a drive letter, ":" and "\" ("C:\..."), or a UNC
// path ("\\server\share..."). Holds no character a file name cannot hold.
bool IsAbsolutePath(const std::wstring& path);

// A folder a removal may aim at: absolute and not the root of a drive or a
// share.
bool IsRemovableFolder(const std::wstring& folder);

// The product's own install folder as the installer writes it: absolute
// and ending in "\Zarvo\Tessmorel" (case-insensitive), no trailing "\".
bool IsProductFolder(const std::wstring& folder);

// A path quoted for a batch line: "%" doubled so that it stands for itself.
std::wstring BatchPath(const std::wstring& path);

// How often the batch tries to delete the uninstaller before going on; one
// try a second.
constexpr int kSelfDeleteTries = 30;

// A shortcut the installer makes: its name without ".lnk" and the installed
// file it points at.
struct TShortcut {
    const wchar_t* Name;
    const wchar_t* File;
};
// The Start-menu group and its shortcuts, in the order they are made; the
// uninstall batch deletes these by name.
constexpr const wchar_t kGroupName[] = L"Tessmorel";
constexpr TShortcut kGroupShortcuts[] = {{L"Tessmorel", L"Tessmorel.exe"},
                                         {L"Readme", L"Readme.txt"},
                                         {L"License", L"License.txt"},
                                         {L"Help", L"Tessmorel.hlp"},
                                         {L"UnInstall", L"UnInstall.exe"}};
// The one shortcut on the desktop.
constexpr TShortcut kDesktopShortcut = {L"Tessmorel", L"Tessmorel.exe"};

struct TBatchFolders {
    std::wstring OwnDir;       // the uninstaller's folder, no trailing "\"
    std::wstring DesktopDir;   // the user's desktop folder
    std::wstring ProgramsDir;  // the user's Start-menu programs folder
};

// The text of the batch that removes the uninstaller, the shortcuts and the
// folders: lines ended by CR LF (the caller puts it into the code page the
// command interpreter reads, and gives only folders that code page names
// exactly). A desktop or programs folder that is empty or not absolute gets
// no line; an uninstaller folder that is not absolute gives no batch (empty
// text).
std::wstring BuildUninstallBatch(const TBatchFolders& folders);

// Keys above the product's own that the installer creates when they are
// missing, and that the uninstaller removes again once they are empty.
extern const char* const kSharedKeys[2];
// The value of the product key that lists the shared keys the installer
// created, separated by ";".
constexpr const char kCreatedKeysValue[] = "CreatedKeys";
// The shared keys named in such a list (case-insensitive), in the order of
// kSharedKeys; any other name is ignored.
std::vector<std::string> SharedKeysIn(const std::string& list);
std::string JoinKeys(const std::vector<std::string>& keys);

// The batch file's name in the uninstaller's folder.
constexpr const wchar_t kBatchFileName[] = L"ZARVO_TESSMOREL~.BAT";
