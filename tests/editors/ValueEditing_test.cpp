// Editing values from the main window: the editor of the value's type, the
// write-back through the registry and the list item afterwards.
#include "EditorFixture.h"
#include "zrvString.h"

using namespace classlib;

class ValueEditingTest : public EditorTest {
protected:
    // Lists the scratch key and selects the named values.
    void Show(const std::vector<std::string>& select) {
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path);
        ASSERT_TRUE(node);
        node.MakeVisible();
        frmMain->trvwKeys.SetSelected(node);
        frmMain->trvwKeysClick(nullptr);
        for (const std::string& name : select) {
            const int i = frmMain->lstvwValues.IndexOfCaption(name);
            ASSERT_GE(i, 0) << name;
            frmMain->lstvwValues.Item(i).SetSelected(true);
        }
    }
    void Edit(const std::string& name) {
        Show({name});
        frmMain->lstvwValuesDblClick(nullptr);
    }
    TListItem Item(const std::string& name) {
        return frmMain->lstvwValues.Item(frmMain->lstvwValues.IndexOfCaption(name));
    }
    TRegRawValue Stored(const std::string& name) {
        TRegRawValue v;
        DWORD size = 0;
        if (::RegQueryValueExA(Scratch.Key, name.c_str(), nullptr, &v.Type, nullptr, &size) != ERROR_SUCCESS) {
            v.Type = REG_NONE - 1;  // missing
            return v;
        }
        v.Data.resize(size);
        ::RegQueryValueExA(Scratch.Key, name.c_str(), nullptr, &v.Type, v.Data.data(), &size);
        return v;
    }
    static std::vector<BYTE> Raw(const std::string& s) { return {s.begin(), s.end()}; }
    // Types over everything in a column.
    static void Retype(HWND h, const std::string& keys) {
        Select(h, 0, -1);
        Type(h, keys);
    }
    ScratchKey Scratch;
};

TEST_F(ValueEditingTest, StringsAreWrittenWithTheirTypeAndShownAsTheListShowsThem) {
    Scratch.SetString("plain", "old");
    Scratch.SetValue("path", REG_EXPAND_SZ, "%SystemRoot%", 13);
    ScriptDialogs([](TForm& form) {
        EXPECT_EQ(&form, frmStr);
        Retype(frmStr->mmValue.Handle, "%TEMP%\\x");
        return mrOk;
    });
    Edit("path");
    EXPECT_EQ(DialogsShown, 1);
    EXPECT_EQ(Stored("path").Type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(Stored("path").Data, Raw(std::string("%TEMP%\\x", 9)));
    EXPECT_EQ(Item("path").SubItem(0), "9");
    EXPECT_EQ(Item("path").SubItem(1), "\"%TEMP%\\x\"");
    EXPECT_EQ(TfrmMain::ItemData(Item("path"))->DataType, 2);
    EXPECT_EQ(TfrmMain::ItemData(Item("path"))->DataText, "%TEMP%\\x");
    // The editor is emptied afterwards.
    EXPECT_EQ(frmStr->edtName.Text(), "");
    EXPECT_TRUE(frmStr->Data().empty());

    frmMain->lstvwValues.Item(frmMain->lstvwValues.IndexOfCaption("path")).SetSelected(false);
    ScriptDialogs([](TForm&) {
        EXPECT_EQ(frmStr->edtName.Text(), "plain");
        Retype(frmStr->mmValue.Handle, "new");
        return mrCancel;
    });
    Edit("plain");
    EXPECT_EQ(Stored("plain").Data, Raw(std::string("old", 4)));
    EXPECT_TRUE(frmStr->Data().empty());
}

TEST_F(ValueEditingTest, ValuesLeftAloneStayByteIdentical) {
    Scratch.SetValue("nonul", REG_SZ, "abc", 3);
    Scratch.SetValue("embedded", REG_SZ, "one\0two", 8);
    Scratch.SetValue("rtf", REG_SZ, "{\\rtf1 x}\nline", 15);
    Scratch.SetValue("short", REG_DWORD, "\x07\x01", 2);
    const std::vector<BYTE> binary = {0, 1, 0xFF, 0, 0x0D, 0x0A, 0x80};
    Scratch.SetValue("bin", REG_BINARY, binary.data(), static_cast<DWORD>(binary.size()));
    ScriptDialogs([](TForm&) { return mrOk; });
    for (const char* name : {"nonul", "embedded", "rtf", "short", "bin"}) {
        SCOPED_TRACE(name);
        const TRegRawValue before = Stored(name);
        Edit(name);
        const TRegRawValue after = Stored(name);
        EXPECT_EQ(after.Type, before.Type);
        EXPECT_EQ(after.Data, before.Data);
        frmMain->lstvwValues.Item(frmMain->lstvwValues.IndexOfCaption(name)).SetSelected(false);
    }
    EXPECT_EQ(DialogsShown, 5);
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(ValueEditingTest, DwordsAreWrittenOnlyWhenTheTextIsANumber) {
    const DWORD ten = 10;
    Scratch.SetValue("d", REG_DWORD, &ten, 4);
    ScriptDialogs([](TForm& form) {
        EXPECT_EQ(frmDword->edtValue.Text(), "10");
        EXPECT_EQ(frmDword->rdgrpDataType.ItemIndex(), 0);
        EXPECT_EQ(frmDword->Value, 10u);
        frmDword->edtValue.SetText("4294967295");
        Click(frmDword->btnOk);
        return form.ModalResult;
    });
    Edit("d");
    EXPECT_EQ(Stored("d").Data, (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Item("d").SubItem(0), "4");
    EXPECT_EQ(Item("d").SubItem(1), "0xFFFFFFFF (4294967295)");
    EXPECT_EQ(TfrmMain::ItemData(Item("d"))->DwordValue, 0xFFFFFFFFu);

    // Text that is no number: the error is shown, the dialog stays, nothing is written.
    ScriptDialogs([](TForm& form) {
        frmDword->edtValue.SetText("99999999999");
        Click(frmDword->btnOk);
        EXPECT_EQ(form.ModalResult, mrNone);
        return mrCancel;
    });
    Edit("d");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "99999999999.");
    EXPECT_EQ(Stored("d").Data, (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(ValueEditingTest, BinaryDataIsWrittenFromTheHexColumn) {
    std::vector<BYTE> thirty(30, 0x11);
    Scratch.SetValue("b", REG_BINARY, thirty.data(), 30);
    ScriptDialogs([](TForm&) {
        EXPECT_EQ(frmBin->edtName.Text(), "b");
        EXPECT_FALSE(frmBin->HideValueName);
        EXPECT_EQ(frmBin->CharColumnText(), std::string(30, '.'));
        Press(frmBin->HexColumn().Handle, 'A', true);
        Type(frmBin->HexColumn().Handle, "010203");
        return mrOk;
    });
    Edit("b");
    EXPECT_EQ(Stored("b").Type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Stored("b").Data, (std::vector<BYTE>{1, 2, 3}));
    EXPECT_EQ(Item("b").SubItem(0), "3");
    EXPECT_EQ(Item("b").SubItem(1), "01 02 03");
    EXPECT_EQ(TfrmMain::ItemData(Item("b"))->TextView, "...");
    EXPECT_EQ(frmBin->HexColumnText(), "");  // emptied afterwards
    EXPECT_EQ(frmBin->CharColumnText(), "");

    // Emptying the column stores no bytes at all.
    ScriptDialogs([](TForm&) {
        Press(frmBin->HexColumn().Handle, 'A', true);
        Press(frmBin->HexColumn().Handle, VK_DELETE);
        return mrOk;
    });
    Edit("b");
    EXPECT_EQ(Stored("b").Type, static_cast<DWORD>(REG_BINARY));
    EXPECT_TRUE(Stored("b").Data.empty());
    EXPECT_EQ(Item("b").SubItem(0), "0");
    EXPECT_EQ(Item("b").SubItem(1), "");
}

TEST_F(ValueEditingTest, AKeyThatCannotBeOpenedIsReported) {
    Scratch.SetString("s", "old", "sub");
    ScratchKey* scratch = &Scratch;
    ScriptDialogs([scratch](TForm&) {
        DeleteRegistryTree(scratch->Key, "sub");
        Retype(frmStr->mmValue.Handle, "new");
        return mrOk;
    });
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path + "\\sub");
    ASSERT_TRUE(node);
    node.MakeVisible();
    frmMain->trvwKeys.SetSelected(node);
    frmMain->trvwKeysClick(nullptr);
    frmMain->lstvwValues.Item(0).SetSelected(true);
    frmMain->lstvwValuesDblClick(nullptr);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Access registry database error!");
    EXPECT_EQ(frmMain->lstvwValues.Item(0).SubItem(1), "\"old\"");
    HKEY gone = nullptr;
    EXPECT_NE(::RegOpenKeyExA(Scratch.Key, "sub", 0, KEY_READ, &gone), ERROR_SUCCESS);
}

TEST_F(ValueEditingTest, TheEditCommandsOpenTheEditorOfTheFirstSelectedValue) {
    Scratch.SetString("a", "first");
    Scratch.SetString("b", "second");
    Scratch.SetValue("multi", REG_MULTI_SZ, "x\0y\0", 5);
    Scratch.SetValue("none", REG_NONE, "z", 1);
    std::vector<std::string> names;
    ScriptDialogs([&names](TForm&) {
        names.push_back(frmStr->edtName.Text());
        return mrCancel;
    });
    Show({"a", "b"});
    frmMain->mnitmValueEdit->Click();
    frmMain->pppmnitmValueEdit->Click();
    EXPECT_EQ(names, (std::vector<std::string>{"a", "a"}));

    for (const char* other : {"multi", "none"}) {
        frmMain->lstvwValues.Item(frmMain->lstvwValues.IndexOfCaption("a")).SetSelected(false);
        frmMain->lstvwValues.Item(frmMain->lstvwValues.IndexOfCaption("b")).SetSelected(false);
        Edit(other);
        frmMain->lstvwValues.Item(frmMain->lstvwValues.IndexOfCaption(other)).SetSelected(false);
    }
    EXPECT_EQ(DialogsShown, 2);

    // Nothing selected: nothing opens.
    frmMain->lstvwValuesDblClick(nullptr);
    EXPECT_EQ(DialogsShown, 2);
}

TEST_F(ValueEditingTest, TheHexEditorOnItsOwnStartsEmptyWithoutTheNameRow) {
    const std::vector<BYTE> data = {0xDE, 0xAD};
    Scratch.SetValue("b", REG_BINARY, data.data(), 2);
    ScriptDialogs([](TForm&) { return mrOk; });
    Edit("b");
    int runs = 0;
    ScriptDialogs([&runs](TForm& form) {
        ++runs;
        EXPECT_EQ(&form, frmBin);
        EXPECT_TRUE(frmBin->HideValueName);
        EXPECT_EQ(frmBin->HexColumnText(), "");
        EXPECT_EQ(frmBin->CharColumnText(), "");
        EXPECT_EQ(frmBin->mmAddress.Text(), "00000000");
        EXPECT_FALSE(::GetWindowLongA(frmBin->edtName.Handle, GWL_STYLE) & WS_VISIBLE);
        Type(frmBin->HexColumn().Handle, "12");
        return mrOk;
    });
    frmMain->mnitmHexEditer->Click();
    frmMain->tlbrHexEditer.OnClick(&frmMain->tlbrHexEditer);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(Stored("b").Data, data);  // the hex editor writes nothing
}
