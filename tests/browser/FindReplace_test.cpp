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

// Find Next goes on from the key the user selected since the last hit,
// whether the Find was over all keys or inside one: never back before it,
// never twice over it.
TEST_F(FindReplaceTest, FindNextGoesOnFromTheKeyTheUserSelected) {
    for (const char* key : {"A", "B", "D"}) Scratch.SetString("v", "qzneedle", key);
    Scratch.AddKey("C");
    frmMain->FFindOptions.FromCurrentKey = true;
    ASSERT_TRUE(Select());
    Script("qzneedle");
    frmMain->mnitmFind->Click();
    ASSERT_EQ(Selected(), "\\A:v");
    ASSERT_TRUE(Select("C"));
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\D:v");

    frmMain->FFindState.FromCurrentKey = false;  // as a Find over all keys that stopped in A
    frmMain->FFindState.StartPath.clear();
    frmMain->FFindState.FoundPath = W(Scratch.Path + "\\A");
    ASSERT_TRUE(Select("B"));
    for (const char* want : {"\\B:v", "\\D:v"}) {
        frmMain->mnitmFindNext->Click();
        EXPECT_EQ(Selected(), want);
    }
    ASSERT_TRUE(Select("C"));
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\D:v");
}

namespace {
struct TUnlockAtEnd {  // so the scratch key can go however the test ends
    std::string Path;
    ~TUnlockAtEnd() { Unlock(HKEY_CURRENT_USER, Path); }
};
bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}  // namespace

// Hits in a key that cannot be written are never asked about: Replace
// names the key, Replace All counts them in its one report.
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
    EXPECT_EQ(Questions.size(), 1u);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    const std::string report = Boxes.Boxes[0].Text;
    for (const char* part : {"Replaced: 1", "Could not be replaced: 2", "\\Locked] needle1"})
        EXPECT_TRUE(Holds(report, part)) << report;
}

// Once answered All, a hit skipped because its value went does not bring
// the question back.
TEST_F(FindReplaceTest, AllHoldsForTheWholeRunWhenAHitIsSkipped) {
    for (const char* name : {"a1", "a2", "a3"}) Scratch.SetString(name, "needle");
    ScriptDialogs([this](TForm& form) {
        if (&form == frmReplaceConfirm) {
            Questions.push_back("");
            ::RegDeleteValueA(Scratch.Key, "a2");
        }
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

// Data with a NUL inside is replaced all through and every other byte (an
// odd last one too) written back; the question shows what follows the NUL.
TEST_F(FindReplaceTest, ReplacingDataKeepsWhatFollowsANul) {
    auto bytes = [](const std::wstring& text) {
        std::vector<BYTE> b(reinterpret_cast<const BYTE*>(text.data()),
                            reinterpret_cast<const BYTE*>(text.data() + text.size()));
        b.push_back(0x7f);
        return b;
    };
    const std::vector<BYTE> before = bytes(std::wstring(L"a needle\0tail needle\0", 21));
    ::RegSetValueExW(Scratch.Key, L"v", 0, REG_SZ, before.data(), static_cast<DWORD>(before.size()));
    ASSERT_TRUE(Select());
    Script("", mrYes);
    ReplaceWith("needle", "pin", false, false, true);
    frmMain->mnitmReplace->Click();
    const TreeImage image = Image(HKEY_CURRENT_USER, Scratch.Path);
    ASSERT_EQ(image.Values.count(L":v"), 1u);
    EXPECT_EQ(image.Values.at(L":v").first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(image.Values.at(L":v").second, bytes(std::wstring(L"a pin\0tail pin\0", 15)));
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
        TLabel& label = frmReplaceConfirm->lblKey;
        question = frmReplaceConfirm->lblInfo.WideCaption();
        key = label.WideCaption();
        RECT need{0, 0, label.Width(), 0};
        HDC dc = ::GetDC(label.Handle);
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(label.Handle, WM_GETFONT, 0, 0)));
        ::DrawTextW(dc, key.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
        ::ReleaseDC(label.Handle, dc);
        keyFits = need.bottom <= label.Height();
        return static_cast<int>(mrNo);
    });
    ReplaceWith("needle", "pin", false, true, false);
    frmMain->mnitmReplace->Click();
    EXPECT_NE(question.find(valueName), std::wstring::npos);
    EXPECT_NE(question.find(L"\u0100pin"), std::wstring::npos);
    EXPECT_EQ(key, L"HKEY_CURRENT_USER\\" + W(Scratch.Path + "\\" + keyName));
    EXPECT_TRUE(keyFits);
    EXPECT_TRUE(::GetWindowLongA(frmReplaceConfirm->lblKey.Handle, GWL_STYLE) & SS_NOPREFIX);
    const LONG infoStyle = ::GetWindowLongA(frmReplaceConfirm->lblInfo.Handle, GWL_STYLE);
    EXPECT_TRUE((infoStyle & WS_VSCROLL) && (infoStyle & ES_READONLY));

    ReplaceWith("END", "FIN", false, false, true);
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(question.substr(question.size() - 7), L"xxxxFIN");
}

// A value whose name and data both hold the text has both replaced in one
// run; the hourglass is back after each question.
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
