#include <gtest/gtest.h>

#include "SetupRules.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    EXPECT_EQ(start, text.size()) << "the text ends without CR LF";
    return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
    for (const auto& l : Lines(text))
        if (l == line) return true;
    return false;
}

}  // namespace

// Only full paths name one place; only the product's own folder is one the
// uninstaller deletes files in.
TEST(SetupRules, FoldersThatMayBeTouched) {
    for (const char* bad : {"", "foo", "C:foo", "\\foo", "\\\\server", "C:\\a*", "C:\\a:b", "C:/a"})
        EXPECT_FALSE(IsAbsolutePath(bad)) << bad;
    EXPECT_TRUE(IsAbsolutePath("C:\\"));
    EXPECT_TRUE(IsAbsolutePath("\\\\server\\share\\dir"));

    for (const char* root : {"C:\\", "\\\\server\\share\\", "C:\\a\\..", "C:\\ . "})
        EXPECT_FALSE(IsRemovableFolder(root)) << root;
    EXPECT_TRUE(IsRemovableFolder("C:\\Documents and Settings\\me\\Desktop"));

    EXPECT_TRUE(IsProductFolder("C:\\Program Files\\Zarvo\\Tessmorel"));
    EXPECT_TRUE(IsProductFolder("c:\\zarvo\\TESSMOREL"));
    for (const char* bad : {"C:\\Windows", "\\Zarvo\\Tessmorel", "C:\\Zarvo\\Tessmorel\\", "C:\\MyZarvo\\Tessmorel",
                            "C:\\Zarvo\\Tessmorel\\.."})
        EXPECT_FALSE(IsProductFolder(bad)) << bad;
}

TEST(SetupRules, BatchNamesOnlyFullFoldersAndEndsItsLoop) {
    const std::string full = BuildUninstallBatch(
        {"C:\\Program Files\\100% Zarvo\\Tessmorel", "C:\\Users\\me\\Desktop\\", "C:\\Users\\me\\Start Menu\\Programs"});
    EXPECT_TRUE(HasLine(full, "del \"C:\\Program Files\\100%% Zarvo\\Tessmorel\\UnInstall.exe\""));
    EXPECT_TRUE(HasLine(full, "del \"C:\\Users\\me\\Desktop\\Tessmorel.lnk\""));
    // The group loses the installer's five shortcuts by name, never a file
    // of the user's, and goes only when that leaves it empty.
    for (const char* name : {"Tessmorel", "Readme", "License", "Help", "UnInstall"})
        EXPECT_TRUE(HasLine(full, std::string("del \"C:\\Users\\me\\Start Menu\\Programs\\Tessmorel\\") + name +
                                      ".lnk\"")) << name;
    EXPECT_EQ(full.find('*'), std::string::npos);
    EXPECT_TRUE(HasLine(full, "rd \"C:\\Users\\me\\Start Menu\\Programs\\Tessmorel\""));
    EXPECT_TRUE(HasLine(full, "if %ZARVO_TRIES% GEQ 30 goto :delled"));
    EXPECT_EQ(Lines(full).back(),
              "del \"C:\\Program Files\\100%% Zarvo\\Tessmorel\\ZARVO_TESSMOREL~.BAT\"");

    // An empty, relative or root folder gets no line at all.
    for (const char* bad : {"", "Desktop", "C:\\"}) {
        const std::string text = BuildUninstallBatch({"C:\\P\\Zarvo\\Tessmorel", bad, bad});
        EXPECT_EQ(text.find("Tessmorel.lnk"), std::string::npos) << bad;
        EXPECT_EQ(text.find("Readme.lnk"), std::string::npos) << bad;
    }
    EXPECT_EQ(BuildUninstallBatch({"", "C:\\D", "C:\\P"}), "");
    EXPECT_EQ(BuildUninstallBatch({"relative", "C:\\D", "C:\\P"}), "");
}

// The record of keys the installer made names only the two shared keys: a
// damaged or planted record never makes the uninstaller remove another key.
TEST(SetupRules, CreatedKeysNameOnlyTheSharedKeys) {
    EXPECT_EQ(SharedKeysIn("software\\zarvo;Software\\Microsoft;;SOFTWARE\\Microsoft\\Windows\\Help;Software"),
              (std::vector<std::string>{"Software\\Zarvo", "SOFTWARE\\Microsoft\\Windows\\Help"}));
    EXPECT_TRUE(SharedKeysIn("").empty());
    EXPECT_EQ(SharedKeysIn(JoinKeys({"Software\\Zarvo"})), std::vector<std::string>{"Software\\Zarvo"});
}
