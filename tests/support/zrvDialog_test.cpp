#include "zrvDialog.h"

#include <gtest/gtest.h>

#include "../TestSupport.h"
#include "zrvDir.h"

TEST(MessageBoxes, TitlesFlagsAndNoOwner) {
    MessageBoxRecorder boxes;
    HWND owner = reinterpret_cast<HWND>(1);
    classlib::Seams().MessageBox = [&](HWND o, const std::string& text, const std::string& caption, UINT flags) {
        owner = o;
        boxes.Boxes.push_back({text, caption, flags, {}});
        return IDOK;
    };
    NotifyError("Copy key error!");
    EXPECT_EQ(owner, nullptr);
    NotifyInfo("");
    QueryYesNo("Sure?\nTwo lines");
    ASSERT_EQ(boxes.Boxes.size(), 3u);
    EXPECT_EQ(boxes.Boxes[0].Caption, "System Notify");
    EXPECT_EQ(boxes.Boxes[0].Flags, 0x1010u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Copy key error!");
    EXPECT_EQ(boxes.Boxes[1].Caption, "System Notify");
    EXPECT_EQ(boxes.Boxes[1].Flags, 0x1000u);
    EXPECT_EQ(boxes.Boxes[1].Text, "");
    EXPECT_EQ(boxes.Boxes[2].Caption, "System Query");
    EXPECT_EQ(boxes.Boxes[2].Flags, 0x1004u);
}

TEST(MessageBoxes, QueryIsTrueOnlyForYes) {
    MessageBoxRecorder boxes;
    boxes.Answers = {IDYES, IDNO, IDCANCEL, 0};
    EXPECT_TRUE(QueryYesNo("q"));
    EXPECT_FALSE(QueryYesNo("q"));
    EXPECT_FALSE(QueryYesNo("q"));
    EXPECT_FALSE(QueryYesNo("q"));
}

TEST(ProgramPath, FileAndFolder) {
    const std::wstring file = GetAppFileNameW();
    ASSERT_GT(file.size(), 4u);
    EXPECT_EQ(file.substr(file.size() - 4), L".exe");
    EXPECT_EQ(classlib::ToWide(GetAppFileName()), file);  // this folder's name is in the code page
    const std::wstring dir = GetAppDirW();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    EXPECT_EQ(file.compare(0, dir.size(), dir), 0);
    EXPECT_EQ(file.find(L'\\', dir.size()), std::wstring::npos);

    EXPECT_EQ(ExtractDirPart("C:\\Tessmorel.exe"), "C:\\");
    EXPECT_EQ(ExtractDirPart("C:\\Program Files\\Zarvo\\Tessmorel.exe"), "C:\\Program Files\\Zarvo\\");
    EXPECT_EQ(ExtractDirPart("C:Tessmorel.exe"), "C:");
    EXPECT_EQ(ExtractDirPart("Tessmorel.exe"), "");
}
