#include "BrowserFixture.h"
#include "UnitStr.h"
#include "zrvRegistry.h"

using namespace classlib;

namespace {

bool KeyExists(const std::string& path) {
    TRegistry reg;
    return reg.KeyExists(path);
}

// Works the pop-up menu a right-click opens, from inside its own message
// loop: types Choice, or closes the menu with Esc when there is none.
struct PopupDriver {
    static inline char Choice = 0;
    static inline int Opened = 0;
    static inline bool Sent = false;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND menu = ::FindWindowA("#32768", nullptr);
        if (!menu || !::IsWindowVisible(menu)) return;
        Opened += !Sent;
        if (!Sent && Choice) ::PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(Choice), 0);
        else ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        Sent = true;
    }
};

}  // namespace

class KeyCommandsTest : public BrowserTest {
protected:
    void SetUp() override {
        Scratch.AddKey("Child\\Grand");
        Scratch.AddKey("Other");
        Scratch.SetString("inner", "kept", "Child\\Grand");
        StartProgram();
        Select(Scratch.Path);
    }
    TTreeNode Select(const std::string& path) {
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
        EXPECT_TRUE(node);
        node.MakeVisible();
        frmMain->trvwKeys.SetSelected(node);
        frmMain->trvwKeysClick(nullptr);
        return node;
    }
    // Ends the in-place editing the command started, as the user would.
    void EndEditing(bool cancel) {
        HWND edit = TreeView_GetEditControl(frmMain->trvwKeys.Handle);
        if (edit) TreeView_EndEditLabelNow(frmMain->trvwKeys.Handle, cancel);
        HWND ledit = ListView_GetEditControl(frmMain->lstvwValues.Handle);
        if (ledit) ::SendMessageA(ledit, WM_KEYDOWN, cancel ? VK_ESCAPE : VK_RETURN, 0);
    }
    // Renames as the user does: in-place editing, the new text, Enter; the
    // tree's own end-of-editing notification runs the handler.
    std::string Rename(TTreeNode node, const std::string& text) {
        frmMain->Show();
        node.EditText();
        HWND edit = TreeView_GetEditControl(frmMain->trvwKeys.Handle);
        EXPECT_NE(edit, nullptr);
        ::SetWindowTextA(edit, text.c_str());
        TreeView_EndEditLabelNow(frmMain->trvwKeys.Handle, FALSE);
        EXPECT_FALSE(frmMain->trvwKeys.IsEditing());
        return node.Text();
    }
    // Right-clicks a node through the tree's own button handling.
    void RightClick(const std::string& path, char choice) {
        frmMain->Show();
        HWND tree = frmMain->trvwKeys.Handle;
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
        node.MakeVisible();
        RECT r{};
        TreeView_GetItemRect(tree, node.ItemId(), &r, TRUE);
        POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, screen = at;
        ::ClientToScreen(tree, &screen);
        ::SetCursorPos(screen.x, screen.y);
        PopupDriver::Choice = choice;
        PopupDriver::Sent = false;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, &PopupDriver::Tick);
        ::PostMessageA(tree, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));  // the button comes up where it went down
        ::SendMessageA(tree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        ::KillTimer(nullptr, timer);
    }
    ScratchKey Scratch;
};

// The pop-up's states, the status bar and Del act on the key that was
// right-clicked, not the selected one.
TEST_F(KeyCommandsTest, RightClickActsOnTheClickedKey) {
    Select(Scratch.Path + "\\Child");
    PopupDriver::Opened = 0;
    RightClick("", 0);  // a root: nothing of it may be deleted
    EXPECT_FALSE(frmMain->pppmnitmKeyDel->Enabled());
    EXPECT_EQ(frmMain->sttsbrMain.PanelText(0), "[HKEY_CURRENT_USER]");

    Boxes.Answers = {IDYES};
    RightClick(Scratch.Path + "\\Other", 'd');
    EXPECT_EQ(PopupDriver::Opened, 2);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    const std::string& asked = Boxes.Boxes[0].Text;
    EXPECT_EQ(asked.substr(asked.find('[')), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Other]");
    EXPECT_FALSE(KeyExists(Scratch.Path + "\\Other"));
    EXPECT_TRUE(KeyExists(Scratch.Path + "\\Child"));
}

TEST_F(KeyCommandsTest, NewKeysTakeTheFirstFreeNumberAndStartEditing) {
    Scratch.AddKey("NEW KEY #1");
    Scratch.AddKey("new key #2");
    TTreeNode node = Select(Scratch.Path);
    frmMain->Show();
    frmMain->mnitmNewKey->Click();
    EXPECT_TRUE(KeyExists(Scratch.Path + "\\New Key #3"));
    TTreeNode added = frmMain->trvwKeys.Selected();
    EXPECT_EQ(added.Text(), "New Key #3");
    EXPECT_EQ(TfrmMain::NodeData(added)->KeyName, "NEW KEY #3");
    EXPECT_TRUE(frmMain->trvwKeys.IsEditing());
    EndEditing(true);  // Esc keeps the default name
    EXPECT_EQ(added.Text(), "New Key #3");
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_EQ(added.Parent(), node);
}

TEST_F(KeyCommandsTest, NewValuesOfEachKind) {
    frmMain->Show();
    frmMain->mnitmNewDwordValue->Click();
    EndEditing(true);
    frmMain->pppmnitmValueNewStringValue->Click();
    EndEditing(true);
    frmMain->pppmnitmKeyNewBinaryValue->Click();
    EndEditing(true);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_EQ(reg.ReadInteger("New Value #1"), 0);
    EXPECT_EQ(reg.ReadString("New Value #2"), "");
    EXPECT_EQ(reg.GetDataType("New Value #3"), TRegDataType::rdBinary);
    EXPECT_EQ(reg.GetDataSize("New Value #3"), 0);
    TListView& list = frmMain->lstvwValues;
    ASSERT_EQ(list.Count(), 3);
    const int dword = list.IndexOfCaption("New Value #1");
    EXPECT_EQ(list.Item(dword).SubItem(0), "4");
    EXPECT_EQ(list.Item(dword).SubItem(1), "0x00000000(0)");
    EXPECT_EQ(list.Item(list.IndexOfCaption("New Value #2")).SubItem(1), "\"\"");
    EXPECT_EQ(TfrmMain::ItemData(list.Item(list.IndexOfCaption("New Value #3")))->DataType, 4);
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(KeyCommandsTest, KeyRenameMovesTheWholeTreeOrRefusesClearly) {
    TTreeNode node = Select(Scratch.Path);
    node.Expand(false);
    TTreeNode child = Child(node, "Child");
    ASSERT_TRUE(child);
    child.Expand(false);

    EXPECT_EQ(Rename(child, "Renamed"), "Renamed");
    EXPECT_FALSE(KeyExists(Scratch.Path + "\\Child"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\Renamed\\Grand", false));
    EXPECT_EQ(reg.ReadString("inner"), "kept");
    EXPECT_EQ(TfrmMain::NodeData(child)->KeyName, "RENAMED");
    EXPECT_TRUE(child.HasChildren());

    // Same name in other capitals: nothing moves.
    EXPECT_EQ(Rename(child, "RENAMED"), "RENAMED");
    EXPECT_TRUE(KeyExists(Scratch.Path + "\\Renamed\\Grand"));
    EXPECT_TRUE(Boxes.Boxes.empty());

    // A sibling's name, in other capitals.
    EXPECT_EQ(Rename(child, "other"), "RENAMED");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "There is a subkey named:OTHER");
    EXPECT_EQ(Boxes.Boxes[0].Flags, 0x1010u);

    EXPECT_EQ(Rename(child, "a\\b"), "RENAMED");
    EXPECT_EQ(Rename(child, ""), "RENAMED");
    ASSERT_EQ(Boxes.Boxes.size(), 3u);
    EXPECT_EQ(Boxes.Boxes[1].Text, "Invalid key name!");
    EXPECT_TRUE(KeyExists(Scratch.Path + "\\Renamed\\Grand"));
}

TEST_F(KeyCommandsTest, AwkwardAndLongKeyNames) {
    TTreeNode node = Select(Scratch.Path);
    node.Expand(false);
    TTreeNode other = Child(node, "Other");
    const std::string awkward = " dots.*?[x]=\"q\" ";
    EXPECT_EQ(Rename(other, awkward), awkward);
    EXPECT_TRUE(KeyExists(Scratch.Path + "\\" + awkward));
    const std::string longest(255, 'k');
    EXPECT_EQ(Rename(other, longest), longest);
    EXPECT_TRUE(KeyExists(Scratch.Path + "\\" + longest));
    // Too long for the registry: refused, nothing lost.
    EXPECT_EQ(Rename(other, std::string(256, 'k')), UpperCaseAscii(longest));
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Rename failed!");
    EXPECT_TRUE(KeyExists(Scratch.Path + "\\" + longest));
}

TEST_F(KeyCommandsTest, ValueRenameKeepsDataAndRefusesTakenNames) {
    Scratch.SetValue("multi", REG_MULTI_SZ, "a\0b\0", 5);
    Scratch.SetString("taken", "x");
    Select(Scratch.Path);
    TListView& list = frmMain->lstvwValues;
    // In-place editing ended by Enter: the list's own notification.
    frmMain->Show();
    auto rename = [&](const std::string& from, const std::string& to) {
        const int index = list.IndexOfCaption(from);
        list.Item(index).EditCaption();
        HWND edit = ListView_GetEditControl(list.Handle);
        EXPECT_NE(edit, nullptr);
        ::SetWindowTextA(edit, to.c_str());
        ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(ListView_GetEditControl(list.Handle), nullptr);
        return list.Item(index).Caption();
    };
    EXPECT_EQ(rename("multi", "moved"), "moved");
    EXPECT_EQ(list.IndexOfCaption("multi"), -1);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    const TRegRawValue moved = reg.ReadRaw("moved");
    EXPECT_EQ(moved.Type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(moved.Data.size(), 5u);
    EXPECT_FALSE(reg.ValueExists("multi"));

    EXPECT_EQ(rename("moved", "TAKEN"), "moved");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Can not rename it to:TAKEN");
    EXPECT_EQ(Boxes.Boxes[0].Flags, 0x1000u);

    EXPECT_EQ(rename("moved", "MOVED"), "MOVED");  // case only: nothing changes
    EXPECT_TRUE(reg.ValueExists("moved"));

    const std::string longest(16383, 'v');
    EXPECT_EQ(rename("moved", longest), longest);
    EXPECT_TRUE(reg.ValueExists(longest));
    EXPECT_EQ(rename(longest, longest + "v"), longest);  // over the limit: refused, nothing lost
    EXPECT_TRUE(reg.ValueExists(longest));
}

TEST_F(KeyCommandsTest, DeletingKeysAsksAndSelectsTheParent) {
    Scratch.SetString("parentValue", "p");
    TTreeNode node = Select(Scratch.Path);
    node.Expand(false);
    Select(Scratch.Path + "\\Child");

    Boxes.Answers = {IDNO};
    frmMain->pppmnitmKeyDel->Click();
    EXPECT_TRUE(KeyExists(Scratch.Path + "\\Child"));
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "This action will delete all subkeys in this key,will you delete any way?\r\n"
                                   "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Child]");

    Boxes.Answers = {IDYES};
    frmMain->pppmnitmKeyDel->Click();
    EXPECT_FALSE(KeyExists(Scratch.Path + "\\Child"));
    EXPECT_EQ(frmMain->trvwKeys.Selected(), node);
    EXPECT_FALSE(Child(node, "Child"));
    EXPECT_EQ(frmMain->lstvwValues.Count(), 1);
    EXPECT_EQ(frmMain->sttsbrMain.PanelText(0), "[HKEY_CURRENT_USER\\" + Scratch.Path + "]");
    EXPECT_EQ(frmMain->cmbbxAddress.Text(), "HKEY_CURRENT_USER:" + Scratch.Path);

    // A root node is never deleted, and nothing is asked.
    Select("");
    frmMain->trvwKeys.SetSelected(frmMain->FindKeyNode(HKEY_CURRENT_USER, ""));
    frmMain->mnitmKeyDel->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
}

TEST_F(KeyCommandsTest, DeletingSelectedValuesAsksOnce) {
    for (const char* n : {"a", "b", "c", "d"}) Scratch.SetString(n, n);
    Select(Scratch.Path);
    TListView& list = frmMain->lstvwValues;
    for (const char* n : {"a", "b", "c"}) list.Item(list.IndexOfCaption(n)).SetSelected(true);
    Boxes.Answers = {IDYES};
    frmMain->pppmnitmValueDel->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Sure to delete all selected items?\r\n[HKEY_CURRENT_USER\\" + Scratch.Path +
                                       "]\r\na\r\nb\r\nc");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(0).Caption(), "d");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_FALSE(reg.ValueExists("a"));
    EXPECT_TRUE(reg.ValueExists("d"));

    list.Item(0).SetSelected(true);
    Boxes.Answers = {IDNO};
    frmMain->mnitmValueDel->Click();
    EXPECT_EQ(Boxes.Boxes.back().Text, "Sure to delete selected item?\r\n[HKEY_CURRENT_USER\\" + Scratch.Path +
                                           "]\r\nd");
    EXPECT_EQ(list.Count(), 1);
}

namespace {

// What the value list receives while a command runs: paints, and item
// deletions made without the hourglass showing.
struct ListWatch {
    static inline WNDPROC Old = nullptr;
    static inline int Paints = 0, Deletions = 0, DeletionsWithoutHourglass = 0;
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_PAINT) ++Paints;
        if (msg == LVM_DELETEITEM || msg == LVM_DELETEALLITEMS) {
            ++Deletions;
            DeletionsWithoutHourglass += !THourGlass::Active();
        }
        return ::CallWindowProcW(Old, h, msg, wp, lp);
    }
    explicit ListWatch(HWND list) : List(list) {
        Paints = Deletions = DeletionsWithoutHourglass = 0;
        Old = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListWatch::Proc)));
    }
    ~ListWatch() { ::SetWindowLongPtrW(List, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Old)); }
    HWND List;
};

// The names of a key's values as stored, read through the wide API.
std::vector<std::string> StoredNames(HKEY key) {
    std::vector<std::string> names;
    WCHAR name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(ToAnsi(std::wstring(name, length)));
    }
    return names;
}

}  // namespace

// End, Select All and Del in a long list: the values go in one pass under
// the hourglass, the list is not scrolled and repainted item by item, and
// only values that are really gone leave it.
TEST_F(KeyCommandsTest, DeletingManyValuesWithTheListAtItsEnd) {
    const int count = 400;
    auto name = [](int i) {
        char text[16];
        std::snprintf(text, sizeof text, "v%04d", i);
        return std::string(text);
    };
    for (int i = 0; i < count; ++i) Scratch.SetString(name(i), "x");
    frmMain->Show();
    Select(Scratch.Path);
    TListView& list = frmMain->lstvwValues;
    ASSERT_EQ(list.Count(), count);
    list.SetFocus();
    auto press = [&](WORD key) {
        ::PostMessageW(list.Handle, WM_KEYDOWN, key, 0);
        ::PostMessageW(list.Handle, WM_KEYUP, key, 0xC0000001);
        Application().ProcessMessages();
    };
    auto names = [&] {
        std::vector<std::string> shown;
        for (int i = 0; i < list.Count(); ++i) shown.push_back(list.Item(i).Caption());
        return shown;
    };
    press(VK_END);
    ASSERT_EQ(list.Selected().Index(), count - 1);
    frmMain->pppmnitmValueSelectAll->Click();
    for (int kept : {0, 200, count - 2}) list.Item(kept).SetSelected(false);
    // One selected value is deleted by another program meanwhile: gone all the same.
    ::RegDeleteValueA(Scratch.Key, name(100).c_str());
    const std::vector<std::string> left{name(0), name(200), name(count - 2)};
    {
        ListWatch watch(list.Handle);
        Boxes.Answers = {IDYES};
        press(VK_DELETE);
        EXPECT_GT(ListWatch::Deletions, 0);
        EXPECT_EQ(ListWatch::DeletionsWithoutHourglass, 0);
        EXPECT_LE(ListWatch::Paints, 2);
    }
    EXPECT_EQ(Boxes.Boxes.size(), 1u);  // the question, no error
    EXPECT_EQ(names(), left);
    EXPECT_EQ(StoredNames(Scratch.Key), left);
    // The focus went from the deleted last item to the last that stays.
    EXPECT_EQ(ListView_GetNextItem(list.Handle, -1, LVNI_FOCUSED), 2);

    // Values that cannot be deleted stay listed, and the failure is said.
    SetAccess(HKEY_CURRENT_USER, Scratch.Path, L"D:P(A;;KR;;;WD)");
    frmMain->pppmnitmValueSelectAll->Click();
    Boxes.Answers = {IDYES};
    press(VK_DELETE);
    Unlock(HKEY_CURRENT_USER, Scratch.Path);
    EXPECT_EQ(Boxes.Boxes.size(), 3u);
    EXPECT_EQ(names(), left);
    EXPECT_EQ(StoredNames(Scratch.Key), left);

    // All of them: an empty list and an empty key.
    frmMain->pppmnitmValueSelectAll->Click();
    Boxes.Answers = {IDYES};
    press(VK_DELETE);
    EXPECT_EQ(Boxes.Boxes.size(), 4u);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(StoredNames(Scratch.Key).empty());
}

namespace {

std::wstring NodeTextW(TTreeNode node) {
    WCHAR text[512] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node.ItemId();
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(frmMain->trvwKeys.Handle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

TTreeNode ChildW(TTreeNode node, const std::wstring& text) {
    for (TTreeNode c = node.FirstChild(); c; c = c.NextSibling())
        if (NodeTextW(c) == text) return c;
    return {};
}

int ItemIndexW(const std::wstring& caption) {
    TListView& list = frmMain->lstvwValues;
    for (int i = 0; i < list.Count(); ++i) {
        WCHAR text[512] = {};
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = 512;
        ::SendMessageW(list.Handle, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        if (caption == text) return i;
    }
    return -1;
}

}  // namespace

TEST_F(KeyCommandsTest, NamesOutsideTheCodePageActOnTheirOwnKeyOrValue) {
    // In the code page "\x0100" reads as "A" and "\x0436" as "?".
    const std::wstring base = ToWide(Scratch.Path) + L"\\Names\\";
    const std::wstring macron1 = L"\x0100" L"1", macron2 = L"\x0100" L"2", zhe = L"\x0436";
    CreateWide(HKEY_CURRENT_USER, base + macron1, L"v", L"mine");
    CreateWide(HKEY_CURRENT_USER, base + L"A1", L"v", L"theirs");
    CreateWide(HKEY_CURRENT_USER, base + macron2);
    CreateWide(HKEY_CURRENT_USER, base + L"A2");
    CreateWide(HKEY_CURRENT_USER, base.substr(0, base.size() - 1), zhe, L"zhe");
    CreateWide(HKEY_CURRENT_USER, base.substr(0, base.size() - 1), L"?", L"question");
    TTreeNode names = Select(Scratch.Path + "\\Names");
    names.Expand(false);
    // Shown as they are, and each node lists its own key.
    TTreeNode own = ChildW(names, macron1);
    ASSERT_TRUE(own);
    frmMain->trvwKeys.SetSelected(own);
    frmMain->trvwKeysClick(nullptr);
    ASSERT_EQ(frmMain->lstvwValues.Count(), 1);
    EXPECT_EQ(frmMain->lstvwValues.Item(0).SubItem(1), "\"mine\"");
    // Registry-file text names keys in the code page: it never shows the other key.
    EXPECT_FALSE(frmMain->FillKeyContent(own));

    // An address in the code page finds the key that it names exactly.
    EXPECT_EQ(NodeTextW(frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path + "\\Names\\A1")), L"A1");
    // Rename and delete act on that key, never on the one that reads the same.
    TRegistry reg;
    EXPECT_EQ(Rename(own, "B1"), "B1");
    EXPECT_FALSE(reg.KeyExists(base + macron1));
    EXPECT_TRUE(reg.KeyExists(base + L"B1") && reg.KeyExists(base + L"A1"));
    TTreeNode other = ChildW(names, macron2);
    ASSERT_TRUE(other);
    frmMain->trvwKeys.SetSelected(other);
    Boxes.Answers = {IDYES};
    frmMain->pppmnitmKeyDel->Click();
    EXPECT_FALSE(reg.KeyExists(base + macron2));
    EXPECT_TRUE(reg.KeyExists(base + L"A2"));

    // The same for values.
    Select(Scratch.Path + "\\Names");
    const int item = ItemIndexW(zhe);
    ASSERT_GE(item, 0);
    frmMain->lstvwValues.Item(item).SetSelected(true);
    Boxes.Answers = {IDYES};
    frmMain->pppmnitmValueDel->Click();
    // The question names the value as it is, not as the code page reads it.
    const std::wstring& asked = Boxes.Boxes.back().WideText;
    EXPECT_EQ(asked.substr(asked.size() - zhe.size() - 2), L"\r\n" + zhe);
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\Names", false));
    EXPECT_FALSE(reg.ValueExists(zhe));
    EXPECT_TRUE(reg.ValueExists(std::wstring(L"?")));
}

// A subkey that may be read but not deleted: a failed rename leaves the
// registry as it was, a failed delete shows what is left.
TEST_F(KeyCommandsTest, FailedRenameOrDeleteLeavesTheRegistryAsItIs) {
    Scratch.AddKey("Child\\Gone");
    SetAccess(HKEY_CURRENT_USER, Scratch.Path + "\\Child\\Grand", L"D:P(A;;KR;;;WD)");
    TTreeNode node = Select(Scratch.Path);
    node.Expand(false);
    TTreeNode child = Child(node, "Child");
    ASSERT_TRUE(child);
    EXPECT_EQ(Rename(child, "Moved"), "CHILD");
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(Scratch.Path + "\\Child\\Grand"));
    EXPECT_EQ(reg.ReadString("inner"), "kept");

    child = Select(Scratch.Path + "\\Child");
    child.Expand(false);
    Boxes.Answers = {IDYES};
    frmMain->pppmnitmKeyDel->Click();
    EXPECT_EQ(ChildTexts(child), (std::vector<std::string>{"Grand"}));
    Unlock(HKEY_CURRENT_USER, Scratch.Path + "\\Child\\Grand");
}

TEST_F(KeyCommandsTest, NothingActsOnAStalePath) {
    Scratch.SetString("s", "old", "Child");
    TTreeNode node = Select(Scratch.Path);
    node.Expand(false);
    TTreeNode child = Select(Scratch.Path + "\\Child");
    // After a rename the listed values follow the key.
    EXPECT_EQ(Rename(child, "Renamed"), "Renamed");
    ASSERT_EQ(frmMain->lstvwValues.Count(), 1);
    frmMain->lstvwValues.Item(0).SetSelected(true);
    Seams().ShowModal = [](TForm&) {
        const std::wstring text(L"new", 4);  // with its terminator
        const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
        frmStr->SetData(std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t)));
        return static_cast<int>(mrOk);
    };
    frmMain->mnitmValueEdit->Click();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(Scratch.Path + "\\Renamed"));
    EXPECT_EQ(reg.ReadString("s"), "new");
    reg.CloseKey();

    // New Key under a key that another program deleted does not make it again.
    ASSERT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, Scratch.Path + "\\Renamed"));
    frmMain->mnitmNewKey->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_FALSE(KeyExists(Scratch.Path + "\\Renamed"));
}
