// Find, Find Next, Replace and Replace All from the main window.
#include "BrowserFixture.h"
#include "UnitFind.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "zrvRegistry.h"

using namespace classlib;

class FindReplaceTest : public BrowserTest {
protected:
    void SetUp() override { StartProgram(); }
    // Selects the scratch key or one below it; the search or replacement
    // starts there, so a test goes no further when this fails.
    bool Select(const std::string& sub = "") {
        const std::string path = sub.empty() ? Scratch.Path : Scratch.Path + "\\" + sub;
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
        if (!node) return false;
        node.MakeVisible();  // expanding the levels above selects each of them
        frmMain->trvwKeys.SetSelected(node);
        return frmMain->GetNodeKeyPath(frmMain->trvwKeys.Selected()) == classlib::ToWide(path);
    }
    // Find and Replace answered from a script; confirmations with answer.
    void Script(const std::string& findItem, int confirm = mrYes) {
        ScriptDialogs([=](TForm& form) {
            if (&form == frmFind) {
                frmFind->FindItem = findItem;
                return static_cast<int>(mrOk);
            }
            if (&form == frmReplaceConfirm) {
                Questions.push_back(frmReplaceConfirm->lblInfo.Caption());
                return confirm;
            }
            return ReplaceAnswer;
        });
    }
    void ReplaceWith(const std::string& find, const std::string& with, bool keys, bool values, bool data) {
        frmReplace->edtFind.SetText(find);
        frmReplace->edtReplace.SetText(with);
        frmReplace->chckbxKey.SetChecked(keys);
        frmReplace->chckbxValue.SetChecked(values);
        frmReplace->chckbxData.SetChecked(data);
    }
    std::string Selected() const {
        TTreeNode node = frmMain->trvwKeys.Selected();
        TListItem item = frmMain->lstvwValues.Selected();
        return frmMain->GetNodePath(node).substr(Scratch.Path.size()) + ":" + (item ? item.Caption() : "");
    }
    ScratchKey Scratch;
    int ReplaceAnswer = mrOk;
    std::vector<std::string> Questions;
};

TEST_F(FindReplaceTest, FindAndFindNextWalkTheSelectedKey) {
    Scratch.SetString("hasNeedle", "x");
    Scratch.SetString("other", "a needle here", "A");
    Scratch.AddKey("B\\needleKey");
    ASSERT_TRUE(Select());
    Script("NEEDLE");
    StopFinding = true;  // left over from a cancelled search: a new one clears it
    frmMain->mnitmFind->Click();
    EXPECT_EQ(Selected(), ":hasNeedle");
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\A:other");
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\B\\needleKey:");

    // While a search runs nothing else starts and the window does not close.
    frmMain->FSearching = true;
    bool canClose = true;
    frmMain->FormCloseQuery(nullptr, canClose);
    EXPECT_FALSE(canClose);
    const int shown = DialogsShown;
    frmMain->mnitmFind->Click();
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(DialogsShown, shown);
    frmMain->FSearching = false;
    frmMain->FCloseAfterSearch = false;
    StopFinding = false;
}

// The replacement keeps the case of the rest of the name, the type of the
// data, and acts on the key the search found.
TEST_F(FindReplaceTest, ReplaceKeepsCaseAndTypeAndRefusesTakenNames) {
    Scratch.SetValue("MyValue", REG_EXPAND_SZ, "%VALUE%", 8);
    Scratch.SetString("MyDataue", "taken", "Taken");
    Scratch.SetString("MyValue", "x", "Taken");
    Scratch.AddKey("MyKey\\Inner");
    ASSERT_TRUE(Select());
    Script("");
    ReplaceWith("Val", "Data", false, true, false);
    frmMain->mnitmReplace->Click();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_TRUE(reg.ValueExists("MyDataue"));

    // Data: the type stays.
    ReplaceWith("value", "PATH", false, false, true);
    frmMain->mnitmReplace->Click();
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_EQ(reg.ReadRaw("MyDataue").Type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(reg.ReadString("MyDataue"), "%PATH%");

    // A key name, and a rename onto a name that is taken.
    ReplaceWith("Key", "Node", true, false, false);
    frmMain->mnitmReplace->Click();
    EXPECT_TRUE(reg.KeyExists(Scratch.Path + "\\MyNode\\Inner"));
    ASSERT_TRUE(Select("Taken"));
    ReplaceWith("Val", "Data", false, true, false);
    Boxes.Boxes.clear();
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\Taken", false));
    EXPECT_EQ(reg.ReadString("MyValue"), "x");
    EXPECT_EQ(reg.ReadString("MyDataue"), "taken");
}

TEST_F(FindReplaceTest, ReplaceAllReplacesEveryOriginalHitOnce) {
    for (const char* name : {"AB", "B1", "CB"}) Scratch.SetString(name, "v");
    Scratch.AddKey("B\\Bb");
    Scratch.AddKey("C");
    ASSERT_TRUE(Select());
    ReplaceAnswer = mrAll;
    Script("", mrAll);
    ReplaceWith("B", "ZB", true, true, false);
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(Questions.size(), 1u);  // All: no more questions
    const TreeImage image = Image(HKEY_CURRENT_USER, Scratch.Path);
    for (const wchar_t* value : {L":AZB", L":ZB1", L":CZB"}) EXPECT_EQ(image.Values.count(value), 1u) << value;
    EXPECT_EQ(image.Values.size(), 3u);
    EXPECT_EQ(image.Keys.count(L"\\ZB\\ZBZB"), 1u);  // inside the renamed key, found before the rename
    EXPECT_EQ(image.Keys.size(), 4u);

    Boxes.Boxes.clear();
    ReplaceWith("nothing", "x", false, true, true);
    frmMain->mnitmReplace->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Not found!");  // not "Replace finished!"
}

// Find Next over all keys after the user selected another key: it goes on
// from that key, never back to the keys before it, never twice over it.
TEST_F(FindReplaceTest, FindNextGoesOnFromTheKeyTheUserSelected) {
    for (const char* key : {"A", "B", "D"}) Scratch.SetString("v", "qzneedle", key);
    Scratch.AddKey("C");
    // The last Find, over all keys, stopped in A.
    frmFind->FindItem = "qzneedle";
    frmMain->FFindOptions.FromCurrentKey = false;
    static_cast<TFindOptions&>(frmMain->FFindState) = frmMain->FFindOptions;
    frmMain->FFindState.RootKey = HKEY_CURRENT_USER;
    frmMain->FFindState.StartPath.clear();
    frmMain->FFindState.FoundPath = W(Scratch.Path + "\\A");
    frmMain->FFindState.FoundValue = L"v";
    frmMain->FFindState.FoundKind = fkValueData;
    frmMain->FFindFound = true;

    ASSERT_TRUE(Select("B"));
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\B:v");
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\D:v");

    ASSERT_TRUE(Select("C"));  // no hit of its own: on with D, not back to B
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\D:v");

    // The same inside the key a Find started from.
    frmMain->FFindOptions.FromCurrentKey = true;
    ASSERT_TRUE(Select());
    Script("qzneedle");
    frmMain->mnitmFind->Click();
    EXPECT_EQ(Selected(), "\\A:v");
    ASSERT_TRUE(Select("C"));
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\D:v");
}

namespace {

// Gives a key that a test made read-only its access back (so the scratch
// key can go) however the test ends.
struct TUnlockAtEnd {
    std::string Path;
    ~TUnlockAtEnd() { Unlock(HKEY_CURRENT_USER, Path); }
};

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// A hit in a key that can be read but not written is never asked about:
// one Replace says so naming the key, Replace All counts it in one report.
TEST_F(FindReplaceTest, HitsInKeysThatCannotBeWrittenAreToldOnceAndSkipped) {
    Scratch.SetString("needle1", "x", "Locked");
    Scratch.SetString("needle2", "x", "Locked");
    Scratch.SetString("needleOpen", "x", "Open");
    TUnlockAtEnd unlock{Scratch.Path + "\\Locked"};
    SetAccess(HKEY_CURRENT_USER, unlock.Path, L"D:P(A;;KR;;;WD)");
    ReplaceWith("needle", "pin", false, true, false);

    ASSERT_TRUE(Select("Locked"));
    Script("", mrYes);
    frmMain->mnitmReplace->Click();
    EXPECT_TRUE(Questions.empty());
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_TRUE(Holds(Boxes.Boxes[0].Text, Scratch.Name() + "\\Locked]")) << Boxes.Boxes[0].Text;

    ASSERT_TRUE(Select());
    Boxes.Boxes.clear();
    ReplaceAnswer = mrAll;
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(Questions.size(), 1u);  // the writable hit only
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    const std::string report = Boxes.Boxes[0].Text;
    EXPECT_TRUE(Holds(report, "Replaced: 1")) << report;
    EXPECT_TRUE(Holds(report, "Could not be replaced: 2")) << report;
    EXPECT_TRUE(Holds(report, "\\Locked] needle1")) << report;
    Unlock(HKEY_CURRENT_USER, unlock.Path);
    const TreeImage image = Image(HKEY_CURRENT_USER, Scratch.Path);
    for (const wchar_t* value : {L"\\Locked:needle1", L"\\Locked:needle2", L"\\Open:pinOpen"})
        EXPECT_EQ(image.Values.count(value), 1u) << value;
}

// Once answered All, a hit that has to be skipped (its value went since
// the search) does not bring the question back.
TEST_F(FindReplaceTest, AllHoldsForTheWholeRunWhenAHitIsSkipped) {
    for (const char* name : {"a1", "a2", "a3"}) Scratch.SetString(name, "needle");
    ScriptDialogs([this](TForm& form) {
        if (&form != frmReplaceConfirm) return static_cast<int>(mrAll);
        Questions.push_back(frmReplaceConfirm->lblInfo.Caption());
        ::RegDeleteValueA(Scratch.Key, "a2");
        return static_cast<int>(mrAll);
    });
    ReplaceWith("needle", "pin", false, false, true);
    ASSERT_TRUE(Select());
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(Questions.size(), 1u);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_EQ(reg.ReadString("a3"), "pin");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_TRUE(Holds(Boxes.Boxes[0].Text, "Could not be replaced: 1")) << Boxes.Boxes[0].Text;
}

// Data with a NUL inside: replaced all through, every other byte (an odd
// last one included) written back as it was, and the question shows it.
TEST_F(FindReplaceTest, ReplacingDataKeepsWhatFollowsANul) {
    const std::wstring text(L"a needle\0tail needle\0", 21);
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    bytes += '\x7f';
    ::RegSetValueExW(Scratch.Key, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    ASSERT_TRUE(Select());
    Script("", mrYes);
    ReplaceWith("needle", "pin", false, false, true);
    frmMain->mnitmReplace->Click();
    const std::wstring expected(L"a pin\0tail pin\0", 15);
    std::vector<BYTE> want(reinterpret_cast<const BYTE*>(expected.data()),
                           reinterpret_cast<const BYTE*>(expected.data() + expected.size()));
    want.push_back(0x7f);
    const TreeImage image = Image(HKEY_CURRENT_USER, Scratch.Path);
    ASSERT_EQ(image.Values.count(L":v"), 1u);
    EXPECT_EQ(image.Values.at(L":v").first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(image.Values.at(L":v").second, want);
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_TRUE(Holds(Questions[0], "tail pin")) << Questions[0];
}

// The confirmation shows all of a long text in a box that scrolls, the
// whole key path with its "&", and names by their real characters.
TEST_F(FindReplaceTest, ConfirmationShowsTheWholeTextAndRealNames) {
    const std::string keyName = "Tom&Jerry_" + std::string(150, 'k');
    const std::wstring valueName = L"\u0100needle";
    CreateWide(HKEY_CURRENT_USER, W(Scratch.Path + "\\" + keyName), valueName, std::wstring(3000, L'x') + L"END");
    ASSERT_TRUE(Select(keyName));
    std::wstring question, key;
    bool keyFits = false;
    ScriptDialogs([&](TForm& form) {
        if (&form != frmReplaceConfirm) return static_cast<int>(mrOk);
        question = frmReplaceConfirm->lblInfo.WideCaption();
        key = frmReplaceConfirm->lblKey.WideCaption();
        // The label is tall enough for the path as it draws it.
        HWND label = frmReplaceConfirm->lblKey.Handle;
        RECT need{0, 0, frmReplaceConfirm->lblKey.Width(), 0};
        HDC dc = ::GetDC(label);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(label, WM_GETFONT, 0, 0)));
        ::DrawTextW(dc, key.c_str(), static_cast<int>(key.size()), &need,
                    DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(label, dc);
        keyFits = need.bottom <= frmReplaceConfirm->lblKey.Height();
        return static_cast<int>(mrNo);
    });
    ReplaceWith("needle", "pin", false, true, false);
    frmMain->mnitmReplace->Click();
    EXPECT_NE(question.find(valueName), std::wstring::npos);
    EXPECT_NE(question.find(L"\u0100pin"), std::wstring::npos);
    EXPECT_EQ(key, L"HKEY_CURRENT_USER\\" + W(Scratch.Path + "\\" + keyName));
    EXPECT_TRUE(keyFits);
    const LONG keyStyle = ::GetWindowLongA(frmReplaceConfirm->lblKey.Handle, GWL_STYLE);
    EXPECT_TRUE(keyStyle & SS_NOPREFIX);
    const LONG infoStyle = ::GetWindowLongA(frmReplaceConfirm->lblInfo.Handle, GWL_STYLE);
    EXPECT_TRUE((infoStyle & WS_VSCROLL) && (infoStyle & ES_READONLY));

    ReplaceWith("END", "FIN", false, false, true);
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(question.substr(question.size() - 7), L"xxxxFIN");
}

// Key, Value and Data checked: a value whose name and data both hold the
// text has both replaced in one run; the hourglass is back after each hit.
TEST_F(FindReplaceTest, ReplaceAllChangesNameAndDataInOneRunUnderTheHourglass) {
    Scratch.SetString("needleName", "a needle");
    Scratch.SetString("other", "needle too");
    const HCURSOR wait = ::LoadCursor(nullptr, IDC_WAIT);
    std::vector<bool> waiting;
    ScriptDialogs([&](TForm& form) {
        if (&form != frmReplaceConfirm) return static_cast<int>(mrAll);
        waiting.push_back(::GetCursor() == wait);
        ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));  // as the shown dialog leaves it
        return static_cast<int>(mrYes);
    });
    ReplaceWith("needle", "pin", true, true, true);
    ASSERT_TRUE(Select());
    frmMain->mnitmReplace->Click();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_FALSE(reg.ValueExists("needleName"));
    EXPECT_EQ(reg.ReadString("pinName"), "a pin");
    EXPECT_EQ(reg.ReadString("other"), "pin too");
    EXPECT_EQ(waiting, (std::vector<bool>{true, true, true}));
}
