#pragma once
// Path rules and the uninstall batch of the installer and the uninstaller.
// Standard C++ only: built for Windows and natively for the sanitizers and
// the fuzzer.
#include <string>
#include <vector>

// The prefixes of text ending before each separator, searched from left to
// right, then the whole text. An empty separator gives the whole text only.
void SplitPrefixes(const std::string& text, const std::string& separator, std::vector<std::string>& list);

// folder + "\" + name, without doubling a trailing "\" of the folder.
std::string JoinPath(const std::string& folder, const std::string& name);

// The install folder for a destination: <destination>\Zarvo\Tessmorel.
std::string InstallDirFor(const std::string& destination);

// A fully qualified path: a drive letter, ":" and "\" ("C:\..."), or a UNC
// path ("\\server\share..."). Holds no character a file name cannot hold.
bool IsAbsolutePath(const std::string& path);

// A folder a removal may aim at: absolute and not the root of a drive or a
// share.
bool IsRemovableFolder(const std::string& folder);

// The product's own install folder as the installer writes it: absolute
// and ending in "\Zarvo\Tessmorel" (case-insensitive), no trailing "\".
bool IsProductFolder(const std::string& folder);

// A path quoted for a batch line: "%" doubled so that it stands for itself.
std::string BatchPath(const std::string& path);

// How often the batch tries to delete the uninstaller before going on; one
// try a second.
constexpr int kSelfDeleteTries = 30;

// The shortcuts of the Start-menu group, in the order they are made.
constexpr const char* kGroupShortcuts[] = {"Tessmorel", "Readme", "License", "Help", "UnInstall"};

struct TBatchFolders {
    std::string OwnDir;       // the uninstaller's folder, no trailing "\"
    std::string DesktopDir;   // the user's desktop folder
    std::string ProgramsDir;  // the user's Start-menu programs folder
};

// The text of the batch that removes the uninstaller, the shortcuts and the
// folders: lines ended by CR LF, in the ANSI code page (the caller converts
// it to the OEM code page). A desktop or programs folder that is empty or
// not absolute gets no line; an uninstaller folder that is not absolute
// gives no batch (empty text).
std::string BuildUninstallBatch(const TBatchFolders& folders);

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
constexpr const char kBatchFileName[] = "ZARVO_TESSMOREL~.BAT";
