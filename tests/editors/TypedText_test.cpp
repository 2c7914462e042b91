// Text typed with real key presses into the program's edits: what the user
// typed must be what the program uses. The keys come from outside the
// process (key_presser.sh types them under the X server into the window
// this side names); this side opens each window, puts the focus where the user
// would, and reads back what the registry holds through the wide API.
// Run once under a Western system and once under a Chinese one.
#include <cstdio>
#include <cstdlib>

#include "EditorFixture.h"
#include "../KeyPresser.h"
#include "UnitBinFind.h"
#include "UnitFavorites.h"
#include "UnitFind.h"
#include "UnitGoTo.h"
#include "UnitKeyContent.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "zrvRegLine.h"
#include "zrvString.h"

using namespace classlib;
using namespace keypresser;
using namespace std::string_literals;

namespace {

// Latin, Chinese and Cyrillic: outside the Western code page, inside the
// Chinese one (as two bytes each).
const std::wstring kTyped = L"ab\u5F20\u4E09\u0436";

// Steps to run once a form is up in its own modal loop.
struct TPending {
    TForm* Form;
    std::function<void()> Step;
};
std::vector<TPending> gPending;

void CALLBACK RunPending(HWND, UINT, UINT_PTR, DWORD) {
    for (size_t i = 0; i < gPending.size(); ++i) {
        TForm* form = gPending[i].Form;
        if (!form->IsModal() || !::IsWindowVisible(form->Handle)) continue;
        const std::function<void()> step = gPending[i].Step;
        gPending.erase(gPending.begin() + static_cast<long>(i));
        step();
        return;
    }
}

void WhenModal(TForm* form, std::function<void()> step) { gPending.push_back({form, std::move(step)}); }

// Types text over the selection of the control that has the focus, then
// presses keys. Key presses sent from outside are now and then lost on
// their way (the first after a change of focus): in a plain edit whose
// program takes every character, what arrived is checked and the text typed
// again when it did not arrive whole. What the program makes of the
// characters is the test's business; the control holds them as typed.
void TypeReal(const std::wstring& text, const std::string& keys = "-", bool takesAll = true) {
    HWND control = ::GetFocus();
    wchar_t cls[16] = {};
    ::GetClassNameW(control, cls, 16);
    const bool check = takesAll && lstrcmpiW(cls, L"Edit") == 0;
    const std::wstring before = WindowTextW(control);
    DWORD from = 0, to = 0;
    ::SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const std::wstring expected = before.substr(0, from) + text + before.substr(std::min<size_t>(to, before.size()));
    for (int attempt = 0; attempt < 3; ++attempt) {
        FocusReal();
        if (::IsWindow(control) && ::GetFocus() != control) ::SetFocus(control);
        Request(::GetAncestor(control, GA_ROOT), text, "-");
        if (!check) break;
        const std::wstring now = WindowTextW(control);
        if (now == expected) break;
        std::printf("typed again: %s\n", ToUtf8(now).c_str());
        ::SetWindowTextW(control, before.c_str());
        ::SendMessageW(control, EM_SETSEL, from, static_cast<LPARAM>(to));
    }
    if (keys != "-") Request(::GetAncestor(control, GA_ROOT), L"", keys);
}

std::vector<BYTE> StoredBytes(const std::wstring& key, const std::wstring& name, DWORD* type = nullptr) {
    HKEY k = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return {};
    DWORD size = 0, t = 0;
    std::vector<BYTE> data;
    if (::RegQueryValueExW(k, name.c_str(), nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        ::RegQueryValueExW(k, name.c_str(), nullptr, &t, data.data(), &size);
        data.resize(size);
    }
    ::RegCloseKey(k);
    if (type) *type = t;
    return data;
}

bool KeyThere(const std::wstring& path) {
    HKEY k = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    ::RegCloseKey(k);
    return true;
}

}  // namespace

class TypedTextTest : public EditorTest {
protected:
    void SetUp() override {
        if (RequestFile().empty()) GTEST_SKIP() << "no key presser: run through key_presser.sh";
        if (const char* acp = std::getenv("TESSMOREL_EXPECT_ACP")) {
            ASSERT_EQ(::GetACP(), std::strtoul(acp, nullptr, 10));
        }
        StartProgram();
        Base = W(Scratch.Path);
        Seams().ShowModal = nullptr;  // the real modal loops
        FTimer = ::SetTimer(nullptr, 0, 100, RunPending);
        frmMain->Show();
        ::SetForegroundWindow(frmMain->Handle);
        LetMessagesRun(300);
    }
    void TearDown() override {
        ::KillTimer(nullptr, FTimer);
        gPending.clear();
        EditorTest::TearDown();
    }
    // Selects a key (its values listed) and a value of it.
    void Show(const std::wstring& key, const std::wstring& value = L"") {
        ASSERT_TRUE(frmMain->GoToKey(HKEY_CURRENT_USER, key));
        if (value.empty()) return;
        for (int i = 0; i < frmMain->lstvwValues.Count(); ++i) {
            TListItem item = frmMain->lstvwValues.Item(i);
            item.SetSelected(TfrmMain::ItemData(item)->WideName == value);
        }
    }
    std::wstring SelectedKey() { return frmMain->GetNodeKeyPath(frmMain->trvwKeys.Selected()); }

    ScratchKey Scratch;
    MessageBoxRecorder Boxes;
    std::wstring Base;
    UINT_PTR FTimer = 0;
};

TEST_F(TypedTextTest, TheMainWindowAndItsDialogsUseWhatIsTyped) {
    const std::wstring target = Base + L"\\" + kTyped;
    CreateWide(HKEY_CURRENT_USER, target);
    // The address box goes to the key typed.
    ::SetWindowTextW(frmMain->cmbbxAddress.Handle, L"");
    ::SetFocus(frmMain->cmbbxAddress.EditWindow() ? frmMain->cmbbxAddress.EditWindow() : frmMain->cmbbxAddress.Handle);
    TypeReal(L"HKEY_CURRENT_USER:" + target, "Return");
    EXPECT_EQ(SelectedKey(), target) << "address box: " << ToUtf8(frmMain->cmbbxAddress.WideText()) << " boxes " << Boxes.Boxes.size();

    // A new key and a new value take the names typed.
    Show(Base);
    frmMain->trvwKeys.SetFocus();
    FocusReal();  // before the in-place edit, which a change of focus would end
    frmMain->pppmnitmKeyNewKeyClick(frmMain->pppmnitmKeyNewKey);
    TypeReal(kTyped + L"2", "Return");
    EXPECT_TRUE(KeyThere(Base + L"\\" + kTyped + L"2")) << "new key";
    Show(Base);
    frmMain->lstvwValues.SetFocus();
    FocusReal();
    frmMain->pppmnitmKeyNewStringValueClick(frmMain->pppmnitmKeyNewStringValue);
    TypeReal(kTyped + L"v", "Return");
    DWORD type = 0;
    EXPECT_EQ(StoredBytes(Base, kTyped + L"v", &type), Utf16(std::wstring(1, L'\0'))) << "new value";

    // The string editor stores what is typed, and leaves what the user did
    // not edit as stored: every character, every line break, what follows a NUL.
    const std::wstring omega = L"\u03A9mega \u65E5\u672C \u00E9";
    CreateWide(HKEY_CURRENT_USER, Base, L"omega", omega);
    auto setRaw = [&](const wchar_t* name, const std::wstring& data) {
        HKEY k = nullptr;
        ::RegOpenKeyExW(HKEY_CURRENT_USER, Base.c_str(), 0, KEY_SET_VALUE, &k);
        ::RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size() * sizeof(wchar_t)));
        ::RegCloseKey(k);
    };
    setRaw(L"breaks", L"l1\r\nl2\nl3\rl4\0"s);
    setRaw(L"nul", L"ab\0cd"s);
    struct Case {
        std::wstring Name, Typed, Expected;
    };
    for (const Case& c : {Case{kTyped + L"v", kTyped, kTyped + L'\0'},
                          Case{L"omega", L"Z", omega + L"Z" + L'\0'},
                          Case{L"breaks", L"Z", L"l1\r\nl2\nl3\rl4Z\0"s},
                          Case{L"nul", L"Z", L"abZ\0cd\0"s}}) {
        Show(Base, c.Name);
        WhenModal(frmStr, [c] {
            EXPECT_EQ(frmStr->edtName.WideText(), c.Name);
            frmStr->mmValue.SetFocus();
            const int end = frmStr->mmValue.TextLength();
            frmStr->mmValue.SetSelection(end, end);
            TypeReal(c.Typed);
            frmStr->ModalResult = mrOk;
        });
        frmMain->lstvwValuesDblClick(nullptr);
        EXPECT_TRUE(gPending.empty()) << "no string editor for the value";
        gPending.clear();
        EXPECT_EQ(StoredBytes(Base, c.Name), Utf16(c.Expected)) << "string editor";
    }
    // The list shows the real characters.
    Show(Base, L"omega");
    EXPECT_EQ(frmMain->lstvwValues.Selected().WideSubItem(1), L"\"" + omega + L"Z\"");

    // Find finds the value named by what is typed.
    Show(Base);
    WhenModal(frmFind, [&] {
        frmFind->edtItem.SetWideText(L"");
        frmFind->edtItem.SetFocus();
        TypeReal(kTyped + L"v", "Return");
    });
    frmMain->mnitmFindClick(nullptr);
    ASSERT_TRUE(frmMain->lstvwValues.Selected());
    EXPECT_EQ(TfrmMain::ItemData(frmMain->lstvwValues.Selected())->WideName, kTyped + L"v") << "find";

    // Replace writes the replacement typed.
    CreateWide(HKEY_CURRENT_USER, Base, L"r", L"old");
    Show(Base);
    WhenModal(frmReplace, [&] {
        frmReplace->chckbxKey.SetChecked(false);
        frmReplace->chckbxValue.SetChecked(false);
        frmReplace->chckbxData.SetChecked(true);
        frmReplace->edtFind.SetWideText(L"");
        frmReplace->edtReplace.SetWideText(L"");
        frmReplace->edtFind.SetFocus();
        TypeReal(L"old");
        frmReplace->edtReplace.SetFocus();
        TypeReal(kTyped);
        frmReplace->ModalResult = mrAll;
    });
    WhenModal(frmReplaceConfirm, [] { frmReplaceConfirm->ModalResult = mrAll; });
    frmMain->mnitmReplaceClick(nullptr);
    EXPECT_EQ(StoredBytes(Base, L"r"), Utf16(kTyped + L'\0')) << "replace";

    // Go To goes to the key typed.
    Show(Base);
    WhenModal(frmGoTo, [&] {
        frmGoTo->rdgrpHKey.ClickItem(1);  // HKEY_CURRENT_USER
        frmGoTo->edtKey.SetWideText(L"");
        frmGoTo->edtKey.SetFocus();
        TypeReal(target, "Return");
    });
    frmMain->mnitmGoToClick(nullptr);
    EXPECT_EQ(SelectedKey(), target) << "go to";

    // A favourite takes the name typed, where the favourites file can hold
    // it; elsewhere the name is refused with a message, never kept as "?".
    Show(Base);
    FilesToRemove.push_back(ToAnsi(frmMain->FavoritesFileName()));
    Boxes.Boxes.clear();
    WhenModal(frmFavorites, [&] {
        frmFavorites->edtName.SetWideText(L"");
        frmFavorites->edtName.SetFocus();
        TypeReal(kTyped + L"f", "Return");
        if (frmFavorites->IsModal()) frmFavorites->ModalResult = mrCancel;
    });
    frmMain->mnitmFavoritesAddClick(nullptr);
    const std::vector<std::string> favorites = frmMain->FFavorites.Items();
    if (FitsCodePage(kTyped)) {
        ASSERT_FALSE(favorites.empty());
        EXPECT_EQ(ToWide(favorites.back()), kTyped + L"f=HKEY_CURRENT_USER:" + Base) << "favourite";
        EXPECT_TRUE(Boxes.Boxes.empty());
    } else {
        for (const std::string& line : favorites) EXPECT_EQ(line.find("?"), std::string::npos) << line;
        ASSERT_EQ(Boxes.Boxes.size(), 1u);
        EXPECT_NE(Boxes.Boxes[0].WideText.find(kTyped + L"f"), std::wstring::npos) << ToUtf8(Boxes.Boxes[0].WideText);
    }
}

TEST_F(TypedTextTest, TheEditorsUseWhatIsTyped) {
    Scratch.SetValue("b", REG_BINARY, "xy", 2);
    // The binary editor's find text is searched as its bytes in the code
    // page; a character without one is refused, never searched as "?".
    Show(Base, L"b");
    std::string hex;
    WhenModal(frmBin, [&] {
        WhenModal(frmBinFind, [&] {
            frmBinFind->edtText.SetWideText(L"");
            frmBinFind->edtText.SetFocus();
            TypeReal(kTyped, "-", false);  // what has no byte in the code page is refused
            hex = frmBinFind->edtHex.Text();
            frmBinFind->ModalResult = mrCancel;
        });
        frmBin->pppmnitmHexValueFindClick(nullptr);
        frmBin->ModalResult = mrCancel;
    });
    frmMain->lstvwValuesDblClick(nullptr);
    std::string bytes;
    if (ToAnsiExact(kTyped, bytes))
        EXPECT_EQ(hex, BytesToHexSep(bytes.data(), static_cast<int>(bytes.size()), ' '));
    else
        EXPECT_EQ(hex, "61 62");

    // The key content editor imports what is typed where a registry file
    // can hold it; elsewhere it says so and writes nothing.
    const std::wstring content = Base + L"\\kc";
    CreateWide(HKEY_CURRENT_USER, content);
    Show(content);
    Boxes.Boxes.clear();
    WhenModal(frmKeyContent, [&] {
        TRichEdit& edit = frmKeyContent->rchedtContent;
        edit.SetFocus();
        const int end = edit.TextLength();
        edit.SetSelection(end, end);
        TypeReal(L"\"k\"=\"" + kTyped + L"\"", "Return");
        Boxes.Answers = {IDYES, IDYES};  // add the header line, import
        frmKeyContent->mnitmImportIntoRegistryClick(nullptr);
        edit.SetModified(false);
        frmKeyContent->ModalResult = mrOk;
    });
    frmMain->pppmnitmKeyContentClick(nullptr);
    if (FitsCodePage(kTyped)) {
        EXPECT_EQ(StoredBytes(content, L"k"), Utf16(kTyped + L'\0')) << "key content";
    } else {
        EXPECT_TRUE(StoredBytes(content, L"k").empty()) << "key content";
        bool named = false;
        for (const RecordedBox& box : Boxes.Boxes) named = named || box.WideText.find(kTyped) != std::wstring::npos;
        EXPECT_TRUE(named) << "no message names the line the file cannot hold";
    }
}

// A key with one binary value of 1 MB: its line (over three million
// characters) opens in the key content editor whole, and bytes typed over
// the end of it import back exactly.
TEST_F(TypedTextTest, AOneMegabyteValueOpensWholeAndAnEditAtItsEndImportsBack) {
    std::vector<BYTE> blob(1024 * 1024);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 37 + 11);
    const std::wstring key = Base + L"\\long";
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(k, L"blob", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
    ::RegCloseKey(k);
    const std::string line = RegBinaryLine("blob", blob.data(), blob.size());
    Show(key);
    Boxes.Boxes.clear();
    std::wstring shown;
    WhenModal(frmKeyContent, [&] {
        TRichEdit& edit = frmKeyContent->rchedtContent;
        shown = edit.WideText();
        // It opens with nothing selected: a key typed first replaces nothing.
        const CHARRANGE first = edit.Selection();
        EXPECT_EQ(first.cpMax, first.cpMin) << "the text opens selected";
        // The last byte's two digits, selected with the keys from the line's
        // start, are typed over.
        const LONG end = edit.LineIndex(2) - 1;
        edit.SetFocus();
        EXPECT_TRUE(edit.Plain());
        HWND plain = edit.Handle;
        DWORD from = 0, to = 0;
        for (int attempt = 0; attempt < 3 && !(to == from + 2 && edit.Selection().cpMax == end); ++attempt) {
            edit.SetSelection(edit.LineIndex(1), edit.LineIndex(1));
            FocusReal();
            Request(::GetAncestor(plain, GA_ROOT), L"", "End shift+Left shift+Left");
            ::SendMessageW(plain, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        }
        EXPECT_EQ(edit.Selection().cpMin, end - 2);
        EXPECT_EQ(edit.Selection().cpMax, end);
        TypeReal(L"5a");
        Boxes.Answers = {IDYES, IDYES};  // add the header line, import
        frmKeyContent->mnitmImportIntoRegistryClick(nullptr);
        edit.SetModified(false);
        frmKeyContent->ModalResult = mrOk;
    });
    frmMain->pppmnitmKeyContentClick(nullptr);
    const size_t at = shown.find(ToWide(line) + L"\r\n");
    EXPECT_NE(at, std::wstring::npos) << "the value's line is not there whole";
    EXPECT_EQ(at, shown.find(L"\r\n") + 2) << "the value's line is not the second";
    blob.back() = 0x5a;
    EXPECT_EQ(StoredBytes(key, L"blob"), blob);
    ASSERT_FALSE(Boxes.Boxes.empty());
    EXPECT_EQ(Boxes.Boxes.back().Text, frmMain->msgImportSuccess);
}
