// Internal copy and paste of keys and values, and the menu and tool bar states.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "BrowserFixture.h"
#include "UnitValueReplaceConfirm.h"
#include "zrvRegistry.h"

using namespace classlib;

namespace {

// Counts the registry calls of this program while it lives: the import
// table entries of the functions that open or read keys point at counters.
int RegistryCalls = 0;

template <typename F, int N>
struct TCounted;
template <typename R, typename... A, int N>
struct TCounted<R(WINAPI*)(A...), N> {
    static inline R(WINAPI* Real)(A...) = nullptr;
    static R WINAPI Call(A... a) { return ++RegistryCalls, Real(a...); }
};

class RegistryCallCounter {
public:
    RegistryCallCounter() {
        Hook<decltype(&::RegOpenKeyExW), 0>("RegOpenKeyExW");
        Hook<decltype(&::RegOpenKeyExA), 1>("RegOpenKeyExA");
        Hook<decltype(&::RegQueryValueExW), 2>("RegQueryValueExW");
        Hook<decltype(&::RegEnumValueW), 3>("RegEnumValueW");
        Hook<decltype(&::RegQueryInfoKeyW), 4>("RegQueryInfoKeyW");
        RegistryCalls = 0;
    }
    ~RegistryCallCounter() {
        for (auto& [slot, real] : FPatched) Write(slot, real);
    }

private:
    template <typename F, int N>
    void Hook(const char* name) {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
        const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
            base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
        for (; imp->Name; ++imp) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                    std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, name))
                    continue;
                void** slot = reinterpret_cast<void**>(&slots->u1.Function);
                TCounted<F, N>::Real = reinterpret_cast<F>(*slot);
                FPatched.emplace_back(slot, *slot);
                Write(slot, reinterpret_cast<void*>(&TCounted<F, N>::Call));
            }
        }
    }
    static void Write(void** slot, void* value) {
        DWORD old = 0;
        ::VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
        *slot = value;
        ::VirtualProtect(slot, sizeof(void*), old, &old);
    }
    std::vector<std::pair<void**, void*>> FPatched;
};

}  // namespace

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
    void SelectValues(const std::vector<std::string>& captions) {
        for (int i = 0; i < frmMain->lstvwValues.Count(); ++i) {
            TListItem item = frmMain->lstvwValues.Item(i);
            item.SetSelected(std::find(captions.begin(), captions.end(), item.Caption()) != captions.end());
        }
        ASSERT_EQ(frmMain->lstvwValues.SelCount(), static_cast<int>(captions.size()));
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

    Select("A");
    frmMain->pppmnitmKeyCopy->Click();
    EXPECT_TRUE(frmMain->FKeyCopy.HasData);
    Select("B");
    frmMain->pppmnitmKeyPaste->Click();
    EXPECT_TRUE(ImageOf("B\\A") == original);
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_TRUE(Child(Select("B"), "A"));

    // Again: the merge question, No changes nothing, Yes merges.
    Scratch.SetString("own", "kept", "B\\A");
    Scratch.SetString("name", "old", "B\\A");
    Boxes.Answers = {IDNO, IDYES};
    frmMain->pppmnitmKeyPaste->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "There is a subkey named:Acontinue to replace all same items?");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\B\\A", false));
    EXPECT_EQ(reg.ReadString("name"), "old");
    frmMain->pppmnitmKeyPaste->Click();
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\B\\A", false));
    EXPECT_EQ(reg.ReadString("name"), "value");
    EXPECT_EQ(reg.ReadString("own"), "kept");

    // A root node is never copied.
    TTreeNode root = frmMain->FindKeyNode(HKEY_CURRENT_USER, "");
    frmMain->trvwKeys.SetSelected(root);
    frmMain->CopyKey();
    EXPECT_EQ(frmMain->FKeyCopy.WideKeyPath, ToWide(Scratch.Path + "\\A"));
}

TEST_F(ClipboardTest, PasteKeyFromOrIntoADeletedOrLockedKeyWritesNothing) {
    Scratch.SetString("v", "1", "A");
    Scratch.AddKey("B");
    Scratch.AddKey("Locked");
    Select("A");
    frmMain->pppmnitmKeyCopy->Click();

    // The destination is deleted meanwhile: it is not made again.
    Select("B");
    DeleteRegistryTree(Scratch.Key, "B");
    frmMain->pppmnitmKeyPaste->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Copy key error!\r\nYour registry without Key:HKEY_CURRENT_USER\\" +
                                       Scratch.Path + "\\B");
    EXPECT_FALSE(TRegistry().KeyExists(Scratch.Path + "\\B"));

    // A key the user may not write into.
    Select("Locked");
    SetAccess(HKEY_CURRENT_USER, Scratch.Path + "\\Locked", L"D:P(A;;KR;;;WD)");
    frmMain->pppmnitmKeyPaste->Click();
    Unlock(HKEY_CURRENT_USER, Scratch.Path + "\\Locked");
    ASSERT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_EQ(Boxes.Boxes[1].Text, "Copy key error!");
    EXPECT_FALSE(TRegistry().KeyExists(Scratch.Path + "\\Locked\\A"));

    // The copied key is deleted before the paste.
    DeleteRegistryTree(Scratch.Key, "A");
    Select("Locked");
    frmMain->pppmnitmKeyPaste->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 3u);
    EXPECT_EQ(Boxes.Boxes[2].Text, "Copy key error!\r\nYour registry without Key:HKEY_CURRENT_USER\\" +
                                       Scratch.Path + "\\A");
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
    Scratch.SetValue("none", REG_NONE, "\x01\x02", 2, "Src");
    Scratch.SetValue("odd type", 0x1234, "xyz", 3, "Src");
    Scratch.SetValue("empty", REG_SZ, nullptr, 0, "Src");
    Scratch.SetValue("dword", REG_DWORD, &all, 4, "Src");
    Scratch.SetValue("blob", REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()), "Src");
    Scratch.SetValue("a=b:c", REG_SZ, lines, sizeof lines, "Src");
    Scratch.SetValue("line\r\nbreak", REG_SZ, "x", 2, "Src");
    Scratch.SetString("", "default", "Src");
    Scratch.SetString("dword", "old text", "Dst");
    const TreeImage source = ImageOf("Src");

    Select("Src");
    frmMain->lstvwValues.SelectAll();
    CtrlKey(frmMain->lstvwValues, 'C');  // Ctrl+C in the list copies values
    ASSERT_TRUE(frmMain->FValueCopy.HasData);
    EXPECT_EQ(frmMain->FValueCopy.Values.size(), 10u);  // not the default value
    EXPECT_FALSE(frmMain->FKeyCopy.HasData);

    Select("Dst");
    Answer({mrYes});
    CtrlKey(frmMain->lstvwValues, 'V');
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0], "the value named:dword have one in this key,Sure to replace it?");
    TreeImage pasted = ImageOf("Dst");
    pasted.Values[L":"] = source.Values.at(L":");
    EXPECT_TRUE(pasted == source);
    EXPECT_EQ(pasted.Values.at(L":dword").second, std::vector<BYTE>(4, 0xFF));
    EXPECT_EQ(frmMain->lstvwValues.Count(), 10);  // listed again
    EXPECT_TRUE(Boxes.Boxes.empty());
}

// Copy takes the values as they are then; Paste writes what was copied.
TEST_F(ClipboardTest, CopyValuesTakesASnapshot) {
    Scratch.SetString("kept", "copied", "Src");
    Scratch.SetString("gone", "copied", "Src");
    Scratch.SetString("vanished", "x", "Src");
    Scratch.AddKey("Dst");
    Select("Src");
    SelectValues({"kept", "gone", "vanished"});
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

TEST_F(ClipboardTest, ExistingValuesAreAskedForOneByOne) {
    for (const char* n : {"a", "b", "c", "d"}) Scratch.SetString(n, std::string("new ") + n, "Src");
    const auto reset = [&] {
        DeleteRegistryTree(Scratch.Key, "Dst");
        Scratch.SetString("b", "old b", "Dst");
        Scratch.SetString("c", "old c", "Dst");
    };
    const auto read = [&](const char* name) {
        TRegistry reg;
        return reg.OpenKey(Scratch.Path + "\\Dst", false) && reg.ValueExists(std::string(name))
                   ? reg.ReadString(name)
                   : std::string("-");
    };
    reset();
    Select("Src");
    frmMain->lstvwValues.SelectAll();
    frmMain->pppmnitmValueCopy->Click();
    Select("Dst");

    Answer({mrYesToAll});  // one question, both replaced
    frmMain->pppmnitmValuePaste->Click();
    EXPECT_EQ(Questions, std::vector<std::string>{"the value named:b have one in this key,Sure to replace it?"});
    EXPECT_EQ(read("b") + read("c") + read("d"), "new bnew cnew d");

    reset();
    Select("Dst");
    Questions.clear();
    Answer({mrNoToAll});  // skips the existing ones, still writes the new ones
    frmMain->pppmnitmValuePaste->Click();
    EXPECT_EQ(Questions.size(), 1u);
    EXPECT_EQ(read("a") + read("b") + read("c") + read("d"), "new aold bold cnew d");

    // Cancel: what was written stays, nothing more is, the list stays as it was.
    reset();
    Select("Dst");
    const int listed = frmMain->lstvwValues.Count();
    Questions.clear();
    Answer({mrCancel});
    frmMain->pppmnitmValuePaste->Click();
    EXPECT_EQ(read("a") + read("b") + read("c") + read("d"), "new aold bold c-");
    EXPECT_EQ(frmMain->lstvwValues.Count(), listed);

    // A value that cannot be written is told, not skipped in silence.
    reset();
    Select("Dst");
    Questions.clear();
    Answer({mrYes}, [&] { DeleteRegistryTree(Scratch.Key, "Dst"); });
    frmMain->pppmnitmValuePaste->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Access registry database error!\r\nthe value named:b");
}

TEST_F(ClipboardTest, MenuStatesFollowTheSelectionAndTheClipboards) {
    Scratch.SetString("one", "1", "A");
    Scratch.SetString("two", "2", "A");
    Scratch.AddKey("A\\Sub");
    Scratch.AddKey("B");
    auto* m = frmMain;
    const auto keyStates = [&] {
        std::string s;
        for (TMenuItem* i : {m->pppmnitmKeyRename, m->mnitmKeyDel, m->pppmnitmKeyCopy, m->mnitmKeyPaste,
                             m->pppmnitmKeyPaste, m->mnitmNewKey, m->pppmnitmKeyCurrent, m->mnitmRefresh})
            s += i->Enabled() ? '1' : '0';
        return s + (m->tlbrTool.ButtonEnabled(m->tlbrRefresh) ? '1' : '0');
    };

    // A root node: no rename, delete or copy; the rest is offered.
    TTreeNode root = m->FindKeyNode(HKEY_CURRENT_USER, "");
    m->trvwKeys.SetSelected(root);
    m->pppmnKeyPopup(nullptr);
    EXPECT_EQ(keyStates(), "000001111");

    // Paste Key: not on the copied key nor inside it, on others yes.
    Select("A");
    m->CopyKey();
    m->pppmnKeyPopup(nullptr);
    EXPECT_EQ(keyStates(), "111001111");
    Select("A\\Sub");
    m->pppmnKeyPopup(nullptr);
    EXPECT_EQ(keyStates(), "111001111");
    Select("B");
    m->pppmnKeyPopup(nullptr);
    EXPECT_EQ(keyStates(), "111111111");

    // With a key in the clipboard the update reads no key at all.
    {
        RegistryCallCounter counter;
        m->UpdateMenuState(TfrmMain::kKeyItems | TfrmMain::kValueItems);
        EXPECT_EQ(RegistryCalls, 0);
        m->LoadValues(m->trvwKeys.Selected());  // the counter itself counts
        EXPECT_GT(RegistryCalls, 0);
    }

    // Values: two selected allow Del and Copy, not Edit and Rename; Paste
    // waits for a first Copy Values.
    Select("A");
    SelectValues({"one", "two"});
    const auto valueStates = [&] {
        std::string s;
        for (TMenuItem* i : {m->pppmnitmValueDel, m->mnitmValueCopy, m->pppmnitmValueEdit, m->mnitmValueRename,
                             m->pppmnitmValuePaste, m->pppmnitmValueNewStringValue})
            s += i->Enabled() ? '1' : '0';
        return s;
    };
    m->pppmnValuePopup(nullptr);
    EXPECT_EQ(valueStates(), "110001");
    SelectValues({"one"});
    m->mnitmRegistryClick(nullptr);
    EXPECT_EQ(valueStates(), "111101");
    m->CopyValues();
    m->pppmnValuePopup(nullptr);
    EXPECT_EQ(valueStates(), "111111");
}
