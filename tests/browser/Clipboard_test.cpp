// Internal copy and paste of keys and values, and the menu and tool bar states.
#include <stdexcept>

#include "BrowserFixture.h"
#include "UnitValueReplaceConfirm.h"
#include "zrvRegistry.h"

using namespace classlib;

class ClipboardTest : public BrowserTest {
protected:
    void SetUp() override { StartProgram(); }
    // Selects a key below the scratch key ("" for the scratch key itself)
    // and lists its values, as a click does. Anywhere else the test ends
    // before it could paste.
    TTreeNode Select(const std::string& sub) {
        const std::string path = sub.empty() ? Scratch.Path : Scratch.Path + "\\" + sub;
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
        if (node) {
            node.MakeVisible();  // expanding the levels above selects each of them
            frmMain->trvwKeys.SetSelected(node);
            frmMain->trvwKeysClick(nullptr);
        }
        if (!node || frmMain->GetNodeKeyPath(frmMain->trvwKeys.Selected()) != ToWide(path))
            throw std::runtime_error("could not select " + path);
        return node;
    }
    // Presses Ctrl and a letter in a view, as the keyboard does.
    void CtrlKey(TControl& view, char letter) {
        ::SetFocus(view.Handle);
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        ::SetKeyboardState(keys);
        MSG msg{view.Handle, WM_KEYDOWN, static_cast<WPARAM>(letter), 0, 0, {}};
        EXPECT_TRUE(frmMain->IsShortCut(msg));
        keys[VK_CONTROL] = 0;
        ::SetKeyboardState(keys);
    }
    // Answers the value questions in turn and records them.
    void Answer(std::vector<int> answers, std::function<void()> onQuestion = {}) {
        ScriptDialogs([this, answers, onQuestion](TForm& form) {
            if (&form != frmValueReplaceConfirm) return static_cast<int>(mrCancel);
            Questions.push_back(frmValueReplaceConfirm->lblInfo.Caption());
            if (onQuestion) onQuestion();
            return Questions.size() <= answers.size() ? answers[Questions.size() - 1] : static_cast<int>(mrNo);
        });
    }
    TreeImage ImageOf(const std::string& sub) const { return Image(HKEY_CURRENT_USER, Scratch.Path + "\\" + sub); }

    ScratchKey Scratch;
    std::vector<std::string> Questions;
};

TEST_F(ClipboardTest, PasteKeyCopiesTheTreeAndAsksBeforeMerging) {
    Scratch.SetString("name", "value", "A");
    Scratch.SetString("deep", "x", "A\\Sub");
    Scratch.AddKey("B");
    const TreeImage original = ImageOf("A");
    frmMain->trvwKeys.SetSelected(frmMain->FindKeyNode(HKEY_CURRENT_USER, ""));
    frmMain->CopyKey();  // a root is never copied
    EXPECT_FALSE(frmMain->FKeyCopy.HasData);

    Select("A");
    frmMain->pppmnitmKeyCopy->Click();
    Select("B");
    frmMain->pppmnitmKeyPaste->Click();
    EXPECT_TRUE(ImageOf("B\\A") == original);

    // Again: the merge question, No changes nothing, Yes merges.
    Scratch.SetString("own", "kept", "B\\A");
    Scratch.SetString("name", "old", "B\\A");
    Boxes.Answers = {IDNO, IDYES};
    frmMain->pppmnitmKeyPaste->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "There is a subkey named:A\r\ncontinue to replace all same items?");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\B\\A", false));
    EXPECT_EQ(reg.ReadString("name"), "old");
    frmMain->pppmnitmKeyPaste->Click();
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\B\\A", false));
    EXPECT_EQ(reg.ReadString("name"), "value");
    EXPECT_EQ(reg.ReadString("own"), "kept");

    for (const char* sub : {"A", "A\\Sub"}) {  // never into itself or below it
        Select(sub);
        frmMain->pppmnKeyPopup(nullptr);
        EXPECT_FALSE(frmMain->pppmnitmKeyPaste->Enabled()) << sub;
    }
}

TEST_F(ClipboardTest, PasteKeyFromOrIntoADeletedOrLockedKeyWritesNothing) {
    Scratch.SetString("v", "1", "A");
    Scratch.AddKey("B");
    Scratch.AddKey("Locked");
    Select("A");
    frmMain->pppmnitmKeyCopy->Click();

    Select("B");  // deleted meanwhile: it is not made again
    DeleteRegistryTree(Scratch.Key, "B");
    frmMain->pppmnitmKeyPaste->Click();
    EXPECT_FALSE(TRegistry().KeyExists(Scratch.Path + "\\B"));

    Select("Locked");  // the user may not write into it
    SetAccess(HKEY_CURRENT_USER, Scratch.Path + "\\Locked", L"D:P(A;;KR;;;WD)");
    frmMain->pppmnitmKeyPaste->Click();
    Unlock(HKEY_CURRENT_USER, Scratch.Path + "\\Locked");
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_FALSE(TRegistry().KeyExists(Scratch.Path + "\\Locked\\A"));

    DeleteRegistryTree(Scratch.Key, "A");  // the copied key, before the paste
    Select("Locked");
    frmMain->pppmnitmKeyPaste->Click();
    EXPECT_FALSE(TRegistry().KeyExists(Scratch.Path + "\\Locked\\A"));
}

// Every value arrives with its name, raw type and bytes, whatever they are.
TEST_F(ClipboardTest, PastedValuesKeepNamesTypesAndBytes) {
    const DWORD all = 0xFFFFFFFF;
    const unsigned long long q = 0x0123456789ABCDEFull;
    const char expand[] = "%PATH%", multi[] = "a\0b\0", lines[] = "one\r\ntwo\n";
    std::vector<BYTE> blob(1000);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 7);
    Scratch.SetValue("expand", REG_EXPAND_SZ, expand, sizeof expand, "Src");
    Scratch.SetValue("multi", REG_MULTI_SZ, multi, sizeof multi, "Src");
    Scratch.SetValue("qword", REG_QWORD, &q, sizeof q, "Src");
    Scratch.SetValue("odd type", 0x1234, "xyz", 3, "Src");
    Scratch.SetValue("empty", REG_SZ, nullptr, 0, "Src");
    Scratch.SetValue("dword", REG_DWORD, &all, 4, "Src");
    Scratch.SetValue("blob", REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()), "Src");
    Scratch.SetValue("line\r\nbreak=b:c", REG_SZ, lines, sizeof lines, "Src");
    Scratch.SetString("", "default", "Src");
    Scratch.SetString("dword", "old text", "Dst");
    const TreeImage source = ImageOf("Src");

    Select("Src");
    frmMain->lstvwValues.SelectAll();
    CtrlKey(frmMain->lstvwValues, 'C');  // Ctrl+C in the list copies values

    Select("Dst");
    Answer({mrYes});
    CtrlKey(frmMain->lstvwValues, 'V');
    EXPECT_EQ(Questions.size(), 1u);
    TreeImage expected = source;
    expected.Values.erase(L":");  // the key's default value is never copied
    EXPECT_TRUE(ImageOf("Dst") == expected);
}

// Copy takes the values as they are then; Paste writes what was copied.
TEST_F(ClipboardTest, CopyValuesTakesASnapshot) {
    Scratch.SetString("kept", "copied", "Src");
    Scratch.SetString("gone", "copied", "Src");
    Scratch.SetString("vanished", "x", "Src");
    Scratch.AddKey("Dst");
    Select("Src");
    frmMain->lstvwValues.SelectAll();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\Src", false));
    reg.DeleteValue("vanished");  // removed after listing, before Copy
    frmMain->pppmnitmValueCopy->Click();
    reg.WriteString("kept", "changed");
    reg.DeleteValue("gone");
    Select("Dst");
    frmMain->mnitmValuePaste->Click();
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\Dst", false));
    EXPECT_EQ(reg.ReadString("kept"), "copied");
    EXPECT_EQ(reg.ReadString("gone"), "copied");
    EXPECT_FALSE(reg.ValueExists("vanished"));
}

// Values that another program deleted after the list was filled are named;
// Paste is offered only when something was copied.
TEST_F(ClipboardTest, CopyValuesReportsWhatItCouldNotCopy) {
    for (const char* n : {"kept", "gone1", "gone2"}) Scratch.SetString(n, n, "Src");
    Select("Src");
    frmMain->lstvwValues.SelectAll();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\Src", false));
    reg.DeleteValue("gone1");
    reg.DeleteValue("gone2");
    frmMain->pppmnitmValueCopy->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "These values could not be copied:\r\ngone1\r\ngone2");
    frmMain->pppmnValuePopup(nullptr);
    EXPECT_TRUE(frmMain->pppmnitmValuePaste->Enabled());

    reg.DeleteValue("kept");
    frmMain->pppmnitmValueCopy->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
    frmMain->pppmnValuePopup(nullptr);
    EXPECT_FALSE(frmMain->pppmnitmValuePaste->Enabled());
}

// A key that is there but closed to writing is not called missing.
TEST_F(ClipboardTest, PasteValuesTellsALockedKeyFromAMissingOne) {
    Scratch.SetString("v", "1", "Src");
    for (const char* k : {"Locked", "Gone"}) Scratch.AddKey(k);
    Select("Src");
    frmMain->lstvwValues.SelectAll();
    frmMain->pppmnitmValueCopy->Click();

    Select("Locked");
    SetAccess(HKEY_CURRENT_USER, Scratch.Path + "\\Locked", L"D:P(A;;KR;;;WD)");
    frmMain->pppmnitmValuePaste->Click();
    Unlock(HKEY_CURRENT_USER, Scratch.Path + "\\Locked");
    Select("Gone");
    DeleteRegistryTree(Scratch.Key, "Gone");
    frmMain->pppmnitmValuePaste->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "This key can not be written:\r\nHKEY_CURRENT_USER\\" + Scratch.Path + "\\Locked");
    EXPECT_EQ(Boxes.Boxes[1].Text,
              "Access registry database error!\r\nYour registry without Key:HKEY_CURRENT_USER\\" + Scratch.Path + "\\Gone");
}

TEST_F(ClipboardTest, ExistingValuesAreAskedForOneByOne) {
    for (const char* n : {"a", "b", "c", "d"}) Scratch.SetString(n, std::string("new ") + n, "Src");
    Scratch.AddKey("Dst");
    Select("Src");
    frmMain->lstvwValues.SelectAll();
    frmMain->pppmnitmValueCopy->Click();
    // Pastes into a fresh Dst holding old b and c; the values then, "-" for none.
    const auto paste = [&](int answer, std::function<void()> onQuestion = {}) {
        DeleteRegistryTree(Scratch.Key, "Dst");
        Scratch.SetString("b", "old b", "Dst");
        Scratch.SetString("c", "old c", "Dst");
        Select("Dst");
        Questions.clear();
        Answer({answer}, onQuestion);
        frmMain->pppmnitmValuePaste->Click();
        std::string all;
        TRegistry reg;
        for (const char* n : {"a", "b", "c", "d"})
            all += reg.OpenKey(Scratch.Path + "\\Dst", false) && reg.ValueExists(std::string(n)) ? reg.ReadString(n) : "-";
        return all;
    };
    // All: one question, both replaced.
    EXPECT_EQ(paste(mrYesToAll), "new anew bnew cnew d");
    EXPECT_EQ(Questions.size(), 1u);
    // None skips the existing ones and still writes the new ones; Cancel stops.
    EXPECT_EQ(paste(mrNoToAll), "new aold bold cnew d");
    EXPECT_EQ(paste(mrCancel), "new aold bold c-");
    // A value that cannot be written is told, not skipped in silence.
    paste(mrYes, [&] { DeleteRegistryTree(Scratch.Key, "Dst"); });
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
}

// Which commands are offered for a root node, a key, selected values and
// what the clipboards hold, in the menus, the pop-ups and the tool bar.
TEST_F(ClipboardTest, MenuStatesFollowTheSelectionAndTheClipboards) {
    Scratch.SetString("one", "1", "A");
    Scratch.SetString("two", "2", "A");
    Scratch.AddKey("A\\Sub");
    Scratch.AddKey("B");
    auto* m = frmMain;
    const auto enabled = [](std::initializer_list<TMenuItem*> items) {
        std::string s;
        for (TMenuItem* i : items) s += i->Enabled() ? '1' : '0';
        return s;
    };
    // Rename, Del, Copy Key, Paste Key (menu, pop-up), New, Current Key, Refresh,
    // Key Content; the Refresh, Key Content, Export and Add to Favorites buttons.
    const auto keyStates = [&] {
        std::string s = enabled({m->pppmnitmKeyRename, m->mnitmKeyDel, m->pppmnitmKeyCopy, m->mnitmKeyPaste,
                                 m->pppmnitmKeyPaste, m->mnitmNewKey, m->pppmnitmKeyCurrent, m->mnitmRefresh,
                                 m->pppmnitmKeyContent}) + ' ';
        for (TToolButton* b : {&m->tlbrRefresh, &m->tlbrKeyContent, &m->tlbrExportRegistryKey, &m->tlbrFavoritesAdd})
            s += m->tlbrTool.ButtonEnabled(*b) ? '1' : '0';
        return s;
    };
    m->trvwKeys.SetSelected(m->FindKeyNode(HKEY_CURRENT_USER, ""));
    m->pppmnKeyPopup(nullptr);
    EXPECT_EQ(keyStates(), "000001111 1111");
    Select("A");
    m->pppmnKeyPopup(nullptr);
    EXPECT_EQ(keyStates(), "111001111 1111");
    // A copied key pastes neither on itself nor inside it.
    m->CopyKey();
    for (const char* sub : {"A", "A\\Sub"}) {
        Select(sub);
        m->mnitmRegistryClick(nullptr);
        EXPECT_EQ(keyStates(), "111001111 1111") << sub;
    }
    Select("B");
    m->pppmnKeyPopup(nullptr);
    EXPECT_EQ(keyStates(), "111111111 1111");

    // Del, Copy, Edit, Rename, Paste, New String.
    const auto valueStates = [&] {
        return enabled({m->pppmnitmValueDel, m->mnitmValueCopy, m->pppmnitmValueEdit, m->mnitmValueRename,
                        m->pppmnitmValuePaste, m->pppmnitmValueNewStringValue});
    };
    Select("A");
    m->pppmnValuePopup(nullptr);
    EXPECT_EQ(valueStates(), "000001");
    TListView& list = m->lstvwValues;
    for (const char* n : {"one", "two"}) list.Item(list.IndexOfCaption(n)).SetSelected(true);
    m->pppmnValuePopup(nullptr);
    EXPECT_EQ(valueStates(), "110001");
    list.Item(list.IndexOfCaption("two")).SetSelected(false);
    m->mnitmRegistryClick(nullptr);
    EXPECT_EQ(valueStates(), "111101");
    m->pppmnitmValueCopy->Click();
    m->pppmnValuePopup(nullptr);
    EXPECT_EQ(valueStates(), "111111");
}
