#include <gtest/gtest.h>

#include "SetupRules.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t pos; (pos = text.find(L"\r\n", start)) != std::wstring::npos; start = pos + 2)
        lines.push_back(text.substr(start, pos - start));
    EXPECT_EQ(start, text.size()) << "the text ends without CR LF";
    return lines;
}

bool HasLine(const std::wstring& text, const std::wstring& line) {
    for (const auto& l : Lines(text))
        if (l == line) return true;
    return false;
}

}  // namespace

// Only full paths name one place; only the product's own folder is one the
// uninstaller deletes files in.
TEST(SetupRules, FoldersThatMayBeTouched) {
    for (const wchar_t* bad : {L"", L"foo", L"C:foo", L"\\foo", L"\\\\server", L"C:\\a*", L"C:\\a:b", L"C:/a"})
        EXPECT_FALSE(IsAbsolutePath(bad)) << bad;
    EXPECT_TRUE(IsAbsolutePath(L"C:\\"));
    EXPECT_TRUE(IsAbsolutePath(L"\\\\server\\share\\dir"));

    for (const wchar_t* root : {L"C:\\", L"\\\\server\\share\\", L"C:\\a\\..", L"C:\\ . "})
        EXPECT_FALSE(IsRemovableFolder(root)) << root;
    EXPECT_TRUE(IsRemovableFolder(L"C:\\Documents and Settings\\me\\Desktop"));

    EXPECT_TRUE(IsProductFolder(L"C:\\Program Files\\Zarvo\\Tessmorel"));
    EXPECT_TRUE(IsProductFolder(L"c:\\zarvo\\TESSMOREL"));
    for (const wchar_t* bad : {L"C:\\Windows", L"\\Zarvo\\Tessmorel", L"C:\\Zarvo\\Tessmorel\\",
                               L"C:\\MyZarvo\\Tessmorel", L"C:\\Zarvo\\Tessmorel\\.."})
        EXPECT_FALSE(IsProductFolder(bad)) << bad;
}

TEST(SetupRules, BatchNamesOnlyFullFoldersAndEndsItsLoop) {
    const std::wstring full = BuildUninstallBatch({L"C:\\Program Files\\100% Zarvo\\Tessmorel",
                                                   L"C:\\Users\\me\\Desktop\\",
                                                   L"C:\\Users\\me\\Start Menu\\Programs"});
    EXPECT_TRUE(HasLine(full, L"del \"C:\\Program Files\\100%% Zarvo\\Tessmorel\\UnInstall.exe\""));
    EXPECT_TRUE(HasLine(full, L"del \"C:\\Users\\me\\Desktop\\Tessmorel.lnk\""));
    // The group loses the installer's five shortcuts by name, never a file
    // of the user's, and goes only when that leaves it empty.
    for (const wchar_t* name : {L"Tessmorel", L"Readme", L"License", L"Help", L"UnInstall"})
        EXPECT_TRUE(HasLine(full, std::wstring(L"del \"C:\\Users\\me\\Start Menu\\Programs\\Tessmorel\\") + name +
                                      L".lnk\"")) << name;
    EXPECT_EQ(full.find(L'*'), std::wstring::npos);
    EXPECT_TRUE(HasLine(full, L"rd \"C:\\Users\\me\\Start Menu\\Programs\\Tessmorel\""));
    EXPECT_TRUE(HasLine(full, L"if %ZARVO_TRIES% GEQ 30 goto :delled"));
    EXPECT_EQ(Lines(full).back(),
              L"del \"C:\\Program Files\\100%% Zarvo\\Tessmorel\\ZARVO_TESSMOREL~.BAT\"");

    // An empty, relative or root folder gets no line at all.
    for (const wchar_t* bad : {L"", L"Desktop", L"C:\\"}) {
        const std::wstring text = BuildUninstallBatch({L"C:\\P\\Zarvo\\Tessmorel", bad, bad});
        EXPECT_EQ(text.find(L"Tessmorel.lnk"), std::wstring::npos) << bad;
        EXPECT_EQ(text.find(L"Readme.lnk"), std::wstring::npos) << bad;
    }
    EXPECT_EQ(BuildUninstallBatch({L"", L"C:\\D", L"C:\\P"}), L"");
    EXPECT_EQ(BuildUninstallBatch({L"relative", L"C:\\D", L"C:\\P"}), L"");
}

// The record of keys the installer made names only the two shared keys: a
// damaged or planted record never makes the uninstaller remove another key.
TEST(SetupRules, CreatedKeysNameOnlyTheSharedKeys) {
    EXPECT_EQ(SharedKeysIn("software\\zarvo;Software\\Microsoft;;SOFTWARE\\Microsoft\\Windows\\Help;Software"),
              (std::vector<std::string>{"Software\\Zarvo", "SOFTWARE\\Microsoft\\Windows\\Help"}));
    EXPECT_TRUE(SharedKeysIn("").empty());
    EXPECT_EQ(SharedKeysIn(JoinKeys({"Software\\Zarvo"})), std::vector<std::string>{"Software\\Zarvo"});
}
