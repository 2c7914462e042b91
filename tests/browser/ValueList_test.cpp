#include "BrowserFixture.h"
#include "UnitKeyContent.h"
#include "zrvRegistry.h"

using namespace classlib;

namespace {

struct Row {
    std::string Name, Size, Data;
    int Image;
};

std::vector<Row> Rows() {
    std::vector<Row> rows;
    TListView& list = frmMain->lstvwValues;
    for (int i = 0; i < list.Count(); ++i) {
        TListItem item = list.Item(i);
        rows.push_back({item.Caption(), item.SubItem(0), item.SubItem(1), item.ImageIndex()});
    }
    return rows;
}

TViewData* DataOf(const std::string& caption) {
    const int i = frmMain->lstvwValues.IndexOfCaption(caption);
    return i < 0 ? nullptr : TfrmMain::ItemData(frmMain->lstvwValues.Item(i));
}

}  // namespace

class ValueListTest : public BrowserTest {
protected:
    void SetUp() override { StartProgram(); }
    void Show() {
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path);
        ASSERT_TRUE(node);
        node.MakeVisible();  // expanding the levels above selects each of them
        frmMain->trvwKeys.SetSelected(node);
        frmMain->trvwKeysClick(nullptr);
    }
    ScratchKey Scratch;
};

TEST_F(ValueListTest, EveryKindOfValueWithItsColumnsAndImage) {
    Scratch.SetString("", "the default");
    Scratch.SetString("abc", "abc");
    Scratch.SetValue("path", REG_EXPAND_SZ, "%SystemRoot%", 13);
    const DWORD ten = 10, all = 0xFFFFFFFFu;
    Scratch.SetValue("ten", REG_DWORD, &ten, 4);
    Scratch.SetValue("all", REG_DWORD, &all, 4);
    BYTE thirty[30];
    for (int i = 0; i < 30; ++i) thirty[i] = static_cast<BYTE>(0xA0 + i);
    Scratch.SetValue("bin30", REG_BINARY, thirty, 30);
    Scratch.SetValue("empty", REG_BINARY, nullptr, 0);
    Scratch.SetValue("multi", REG_MULTI_SZ, "a\0b\0", 5);
    Scratch.SetValue("none", REG_NONE, "xy", 2);
    Scratch.SetValue("big", REG_DWORD_BIG_ENDIAN, &ten, 4);
    Show();

    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 10u);
    // Sorted by caption, case-insensitively; the default value shows as <Unknow Name>.
    EXPECT_EQ(rows[0].Name, "<Unknow Name>");
    EXPECT_EQ(rows[1].Name, "abc");
    EXPECT_EQ(rows[9].Name, "ten");
    auto row = [&](const std::string& name) {
        for (const Row& r : rows)
            if (r.Name == name) return r;
        return Row{};
    };
    EXPECT_EQ(row("abc").Data, "\"abc\"");
    EXPECT_EQ(row("abc").Size, "4");
    EXPECT_EQ(row("abc").Image, 4);
    EXPECT_EQ(row("path").Data, "\"%SystemRoot%\"");
    EXPECT_EQ(row("ten").Data, "0x0000000A (10)");
    EXPECT_EQ(row("ten").Image, 3);
    EXPECT_EQ(row("all").Data, "0xFFFFFFFF (4294967295)");
    EXPECT_EQ(row("bin30").Size, "30");
    EXPECT_EQ(row("bin30").Data.size(), 64u);
    EXPECT_EQ(row("bin30").Data.substr(0, 6), "A0 A1 ");
    EXPECT_EQ(row("bin30").Image, 2);
    EXPECT_EQ(row("empty").Size, "0");
    EXPECT_EQ(row("empty").Data, "");
    for (const char* other : {"multi", "none", "big"}) {
        EXPECT_EQ(row(other).Data, "Unknow Value") << other;
        EXPECT_EQ(row(other).Image, 4) << other;
    }
    EXPECT_EQ(row("multi").Size, "5");

    TViewData* def = DataOf("<Unknow Name>");
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->ValueName, "");
    EXPECT_EQ(def->DataText, "the default");
    EXPECT_EQ(def->KeyPath, UpperCaseAscii(Scratch.Path));
    EXPECT_EQ(def->RootKey, HKEY_CURRENT_USER);
    EXPECT_EQ(DataOf("path")->DataType, 2);
    EXPECT_EQ(DataOf("all")->DwordValue, 0xFFFFFFFFu);
    EXPECT_EQ(DataOf("all")->DataText, "4294967295");
    EXPECT_EQ(DataOf("bin30")->DataText.size(), 30u * 3 - 1);
    EXPECT_EQ(DataOf("bin30")->TextView.size(), 30u);
    EXPECT_EQ(DataOf("multi")->ValueName, "multi");
    EXPECT_EQ(DataOf("multi")->DataType, 0);
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(ValueListTest, KeysWithoutValuesOrThatCannotBeOpenedListNothing) {
    Show();
    EXPECT_EQ(frmMain->lstvwValues.Count(), 0);
    Scratch.SetString("x", "y", "child");
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path + "\\child");
    ASSERT_TRUE(node);
    DeleteRegistryTree(Scratch.Key, "child");
    node.MakeVisible();
    frmMain->trvwKeys.SetSelected(node);
    frmMain->trvwKeysClick(nullptr);
    EXPECT_EQ(frmMain->lstvwValues.Count(), 0);
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(ValueListTest, OddDataIsShownWithoutOverrunOrLoss) {
    const char noNul[] = {'a', 'b', 'c'};
    Scratch.SetValue("nonul", REG_SZ, noNul, 3);
    Scratch.SetValue("embedded", REG_SZ, "one\0two", 8);
    Scratch.SetValue("short", REG_DWORD, "\x07\x01", 2);
    std::vector<BYTE> large(100000, 0x41);
    Scratch.SetValue("large", REG_BINARY, large.data(), static_cast<DWORD>(large.size()));
    Show();
    ASSERT_EQ(frmMain->lstvwValues.Count(), 4);
    EXPECT_EQ(DataOf("nonul")->DataText, "abc");
    EXPECT_EQ(DataOf("embedded")->DataText, "one");
    EXPECT_EQ(DataOf("short")->DwordValue, 0x0107u);
    EXPECT_EQ(DataOf("large")->DataText.size(), large.size() * 3 - 1);
    EXPECT_EQ(DataOf("large")->TextView, std::string(large.size(), 'A'));
}

TEST_F(ValueListTest, DataColumnTakesTheRemainingWidth) {
    frmMain->SetBounds(0, 0, 800, 500);
    const int wide = frmMain->lstvwValues.ColumnWidth(2);
    EXPECT_EQ(wide, frmMain->pnlValues.Width() - frmMain->lstvwValues.ColumnWidth(0) -
                        frmMain->lstvwValues.ColumnWidth(1));
    frmMain->SetBounds(0, 0, 700, 500);
    EXPECT_EQ(frmMain->lstvwValues.ColumnWidth(2), wide - 100);
    EXPECT_EQ(frmMain->lstvwValues.ColumnWidth(0), 176);
}

TEST_F(ValueListTest, AKeyThatMayOnlyBeReadIsBrowsedListedAndExported) {
    Scratch.SetString("v", "seen", "ReadOnly");
    Scratch.AddKey("ReadOnly\\sub\\deeper");
    SetAccess(HKEY_CURRENT_USER, Scratch.Path + "\\ReadOnly", L"D:P(A;;KR;;;WD)");
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path + "\\ReadOnly");
    ASSERT_TRUE(node);
    node.Expand(false);
    EXPECT_EQ(ChildTexts(node), (std::vector<std::string>{"sub"}));
    EXPECT_TRUE(Child(node, "sub").HasChildren());
    frmMain->trvwKeys.SetSelected(node);
    frmMain->trvwKeysClick(nullptr);
    ASSERT_EQ(frmMain->lstvwValues.Count(), 1);
    EXPECT_EQ(frmMain->lstvwValues.Item(0).SubItem(1), "\"seen\"");
    ASSERT_TRUE(frmMain->FillKeyContent(node));
    EXPECT_NE(frmKeyContent->rchedtContent.Text().find("\"v\"=\"seen\""), std::string::npos);
    Unlock(HKEY_CURRENT_USER, Scratch.Path + "\\ReadOnly");
}
