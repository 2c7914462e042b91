#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "BrowserFixture.h"
#include "LanguageTexts.h"
#include "RichEdit.h"
#include "UnitAbout.h"
#include "UnitFind.h"
#include "UnitGoTo.h"
#include "zrvDir.h"
#include "zrvIniFile.h"

using namespace classlib;

namespace {

const char kList[] = "[Tessmorel Language Setting]\r\n";

std::string Section(const std::string& name, const std::string& lines) { return "[" + name + "]\r\n" + lines; }

// A section that gives every key the text "[key]".
std::string PseudoSection(const std::string& name) {
    std::string lines;
    for (std::size_t i = 0; i < LanguageTextCount(); ++i)
        lines += std::string(LanguageTexts()[i].Key) + "=[" + LanguageTexts()[i].Key + "]\r\n";
    return Section(name, lines);
}

std::string KeyOf(const TfrmMain::TTextTarget& t) { return LanguageTexts()[t.Text].Key; }

// A UTF-8 text as GB2312 bytes; empty when a character has none. Code page
// 936 holds more than GB2312: its extra characters fall outside A1..FE.
std::string Gb2312(const std::string& utf8) {
    const int wide = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
    if (wide <= 0) return {};
    std::wstring w(size_t(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &w[0], wide);
    BOOL lost = FALSE;
    std::string bytes(size_t(wide) * 2, '\0');
    bytes.resize(size_t(::WideCharToMultiByte(936, 0, w.data(), wide, &bytes[0], wide * 2, nullptr, &lost)));
    for (unsigned char c : bytes)
        if (lost || (c >= 0x80 && (c < 0xA1 || c == 0xFF))) return {};
    return bytes;
}

// The text of a key in the system's language: Chinese on a Chinese system.
std::string SystemText(const TLanguageText& text) {
    return ::GetACP() == 936 ? Gb2312(text.Chinese) : text.Default;
}

// A run under a Chinese locale says so; a Western run expects English.
void CheckRunCodePage() {
    if (const char* acp = std::getenv("TESSMOREL_EXPECT_ACP")) {
        ASSERT_EQ(::GetACP(), UINT(std::atoi(acp)));
    }
}

// The shape a translation keeps: the count of hot keys and the last one's
// letter, line breaks, placeholders, blanks at the ends, a closing colon or ellipsis.
std::string ShapeOf(const std::string& t) {
    char hotKey = '-';
    int hotKeys = 0;
    for (size_t i = 0; i + 1 < t.size(); ++i)
        if (t[i] == '&') ++hotKeys, hotKey = char(std::toupper(static_cast<unsigned char>(t[i + 1])));
    const auto ends = [&](const std::string& e) {
        return t.size() >= e.size() && t.compare(t.size() - e.size(), e.size(), e) == 0;
    };
    return std::to_string(hotKeys) + "&" + hotKey + " " + std::to_string(std::count(t.begin(), t.end(), '\n')) +
           "\\n " + std::to_string(std::count(t.begin(), t.end(), '%')) + "%" +
           (!t.empty() && t[0] == ' ' ? " lead" : "") + (ends(" ") ? " trail" : "") + (ends(":") ? " colon" : "") +
           (ends("...") ? " ellipsis" : "");
}

}  // namespace

class LanguageTest : public BrowserTest {
protected:
    void SetUp() override {
        File = TempFile("LANGUAGE.INI");
        FilesToRemove.push_back(File);
    }
    void Start(const std::string& text) {
        WriteFile(File, text);
        StartProgram();
        frmMain->FLanguageFile = ToWide(File);
        frmMain->LoadLanguageMenu();
    }
    // The menu items that the language list appended.
    std::vector<TMenuItem*> LanguageItems() const {
        return {frmMain->mnitmLanguage->Items.begin() + 2, frmMain->mnitmLanguage->Items.end()};
    }
    std::string File;
};

TEST_F(LanguageTest, TheFormTextsAndTheShippedFileAreTheTable) {
    StartProgram();
    // Nothing applied yet: every keyed caption shows its form text, which
    // is the table's default (but for the texts told apart from the forms).
    const std::set<std::string> toldApart = {
        "frmMain.mnitmExportAllKey.Caption", "frmMain.mnitmHexEditer.Caption",
        "frmMain.mnitmRegEditNotepad.Caption", "frmMain.mnitmLanguageDefaule.Caption",
        "frmGoTo.btnOk.Caption", "frmKeyContent.mnFind.Caption", "frmReplace.grpbxReplaceItem.Caption",
        "frmReplaceConfirm.lblFoundItemAt.Caption"};
    int checked = 0;
    for (const auto& t : frmMain->LanguageTargets()) {
        const TLanguageText& text = LanguageTexts()[t.Text];
        if (text.Group != TTextGroup::Component || toldApart.count(text.Key) || t.Component == nullptr) continue;
        const std::string key = text.Key;
        if (key.find("." + t.Component->Name + ".") == std::string::npos) continue;  // a copy
        if (key.compare(0, 8, "frmMain.") == 0 && key.find(".Caption") == std::string::npos) continue;
        EXPECT_EQ(TfrmMain::TargetText(t), text.Default) << key;
        ++checked;
    }
    EXPECT_GT(checked, 100);
    // Every key and copy has its window and component.
    EXPECT_EQ(frmMain->PendingLanguageKeys(), std::vector<std::string>());

    // The language file beside the program is the table.
    TIniSection ansi;
    ASSERT_TRUE(ReadIniSection(GetAppDirW() + L"LANGUAGE.INI", "ANSI", ansi));
    ASSERT_EQ(ansi.Entries().size(), LanguageTextCount());
    for (std::size_t i = 0; i < LanguageTextCount(); ++i) {
        EXPECT_EQ(ansi.Entries()[i].first, LanguageTexts()[i].Key);
        EXPECT_EQ(ansi.Entries()[i].second, LanguageTexts()[i].Default);
    }
    TIniSection chinese;
    ASSERT_TRUE(ReadIniSection(GetAppDirW() + L"LANGUAGE.INI", "GB2312", chinese));
    ASSERT_EQ(chinese.Entries().size(), LanguageTextCount());
    for (std::size_t i = 0; i < LanguageTextCount(); ++i)
        EXPECT_EQ(chinese.Entries()[i],
                  std::make_pair(std::string(LanguageTexts()[i].Key), Gb2312(LanguageTexts()[i].Chinese)));
    TIniSection list;
    ASSERT_TRUE(ReadIniSection(GetAppDirW() + L"LANGUAGE.INI", "Tessmorel Language Setting", list));
    EXPECT_EQ(list.Entries(),
              (std::vector<std::pair<std::string, std::string>>{{"English", "ANSI"}, {"Simple Chinese", "GB2312"}}));
}

TEST(LanguageTexts, EveryChineseTextIsGb2312AndKeepsTheEnglishShape) {
    for (std::size_t i = 0; i < LanguageTextCount(); ++i) {
        const TLanguageText& text = LanguageTexts()[i];
        ASSERT_NE(text.Chinese, nullptr) << text.Key;
        const std::string zh = text.Chinese, shape = ShapeOf(text.Default);
        EXPECT_NE(zh, text.Default) << text.Key;
        EXPECT_NE(Gb2312(zh), "") << text.Key;
        EXPECT_EQ(ShapeOf(zh), shape) << text.Key << ": " << zh;
        // A single hot key shows as Chinese menus show it: "(&X)" after the words.
        if (shape.compare(0, 2, "1&") == 0) {
            const size_t at = zh.find(std::string("(&") + shape[2] + ")");
            EXPECT_TRUE(at != std::string::npos && (at + 4 == zh.size() || zh.substr(at + 4) == "..."))
                << text.Key << ": " << zh;
        }
    }
}

TEST_F(LanguageTest, AStartShowsTheSystemsLanguageAndTheMenuSwitchesBothWays) {
    CheckRunCodePage();
    StartProgram();
    frmMain->FormShow(nullptr);
    EXPECT_EQ(frmGoTo->Caption(), SystemText(LanguageTexts()[LanguageTextIndex("frmGoTo.Caption")]));
    for (const auto& t : frmMain->LanguageTargets())
        EXPECT_EQ(TfrmMain::TargetText(t), SystemText(LanguageTexts()[t.Text])) << KeyOf(t);

    const auto items = LanguageItems();
    ASSERT_EQ(items.size(), 2u);
    for (int round = 0; round < 2; ++round) {
        items[0]->Click();  // English
        EXPECT_EQ(frmMain->mnitmKeyCopy->Caption(), "&Copy Key");
        EXPECT_EQ(frmGoTo->Caption(), "Go To...");
        items[1]->Click();  // Simple Chinese
        EXPECT_EQ(frmMain->mnitmKeyCopy->Caption(), Gb2312("复制键(&C)"));
        for (const auto& t : frmMain->LanguageTargets())
            EXPECT_EQ(TfrmMain::TargetText(t), Gb2312(LanguageTexts()[t.Text].Chinese)) << KeyOf(t);
    }
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(LanguageTest, APseudoLanguageReachesEveryTextAndLeavesNoOtherBehind) {
    Start(std::string(kList) + "Pseudo=P\r\nOnlyOk=K\r\n" + PseudoSection("P") + Section("K", "Ok.Caption=Fine\r\n"));
    ASSERT_EQ(LanguageItems().size(), 2u);
    LanguageItems()[0]->Click();

    // Every target shows its key: copies show their source's key.
    for (const auto& t : frmMain->LanguageTargets())
        EXPECT_EQ(TfrmMain::TargetText(t), "[" + KeyOf(t) + "]") << KeyOf(t);
    // Menu items keep their shortcut text.
    char full[256] = {};
    ::GetMenuStringA(frmMain->mnMain.Handle, ID_MNITMKEYCOPY, full, sizeof full, MF_BYCOMMAND);
    EXPECT_STREQ(full, "[frmMain.mnitmKeyCopy.Caption]\tCtrl+C");

    // No caption or hint of any window kept an English text, but data
    // fields, run-time captions, hints off the tool bar and the About box's
    // labels, which are the same in every language.
    const std::set<std::string> runTime = {"lblLength", "mnitmReadonly", "Image1", "btnFavoritesList", "pppmnitmDelete"};
    for (TForm* form : Application().Forms()) {
        for (TComponent* c : form->Components()) {
            if (dynamic_cast<TEdit*>(c) || dynamic_cast<TRichEdit*>(c) || dynamic_cast<TComboBox*>(c) ||
                runTime.count(c->Name) || (form == frmAbout && dynamic_cast<TLabel*>(c)))
                continue;
            for (const char* prop : {"Caption", "Hint"}) {
                if (prop == std::string("Hint") && !dynamic_cast<TToolButton*>(c)) continue;
                const std::string text = c->GetTextProperty(prop);
                if (text.empty() || text.front() == '[') continue;
                ADD_FAILURE() << form->Caption() << ": " << c->Name << "." << prop << " = " << text;
            }
        }
    }

    // A section with one key: everything else is English again.
    LanguageItems()[1]->Click();
    EXPECT_EQ(frmMain->OkCaption, "Fine");
    EXPECT_EQ(frmFind->btnOk.Caption(), "Fine");
    for (const auto& t : frmMain->LanguageTargets()) {
        if (KeyOf(t) == "Ok.Caption") continue;
        EXPECT_EQ(TfrmMain::TargetText(t), LanguageTexts()[t.Text].Default) << KeyOf(t);
    }
}

TEST_F(LanguageTest, TheSystemsCharsetPicksItsSection) {
    const std::pair<BYTE, const char*> charsets[] = {
        {SYMBOL_CHARSET, "SYMBOL"}, {MAC_CHARSET, "MAC"}, {SHIFTJIS_CHARSET, "SHIFTJIS"},
        {HANGEUL_CHARSET, "HANGEUL"}, {JOHAB_CHARSET, "JOHAB"}, {GB2312_CHARSET, "GB2312"},
        {CHINESEBIG5_CHARSET, "CHINESEBIG5"}, {GREEK_CHARSET, "GREEK"}, {TURKISH_CHARSET, "TURKISH"},
        {VIETNAMESE_CHARSET, "VIETNAMESE"}, {HEBREW_CHARSET, "HEBREW"}, {ARABIC_CHARSET, "ARABIC"},
        {BALTIC_CHARSET, "BALTIC"}, {RUSSIAN_CHARSET, "RUSSIAN"}, {THAI_CHARSET, "THAI"},
        {EASTEUROPE_CHARSET, "EASTEUROPE"}};
    std::string text = kList;
    for (const auto& c : charsets) text += Section(c.second, std::string("msgNotFound=") + c.second + "\r\n");
    // Sections no charset reaches; a quoted leading blank stays, an unquoted one goes.
    text += Section("ANSI", "msgNotFound=ANSI\r\n") + Section("OEM", "msgNotFound=OEM\r\n") +
            Section("DEFAULT", "msgnotfound=\" lower\"\r\nmsgRenameTo=  bare\r\n");
    Start(text);
    for (const auto& c : charsets) {
        frmMain->FDefaultCharset = c.first;
        frmMain->mnitmLanguageDefaule->Click();
        EXPECT_EQ(frmMain->msgNotFound, c.second);
    }
    for (BYTE other : {BYTE(ANSI_CHARSET), BYTE(DEFAULT_CHARSET), BYTE(OEM_CHARSET), BYTE(99)}) {
        frmMain->FDefaultCharset = other;
        frmMain->LoadDefaultLanguage();
        EXPECT_EQ(frmMain->msgNotFound, "Not found!") << int(other);
    }
    frmMain->LoadLanguage("default");
    EXPECT_EQ(frmMain->msgNotFound, " lower");
    EXPECT_EQ(frmMain->msgRenameTo, "bare");
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(LanguageTest, LanguageItemsAreTheListsNames) {
    // Two lines of one caption: two items, both apply the first section;
    // names with "&" or a tab are matched by the name they were made with.
    // Every item shows exactly its name: "&" stays, "-" is no separator.
    Start(std::string(kList) + "Same=A\r\nsame=B\r\nR&D\tX=B\r\n-=B\r\n" + Section("A", "msgNotFound=from A\r\n") +
          Section("B", "msgNotFound=from B\r\n"));
    const auto items = LanguageItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(MenuText(*items[2]), "R&&D\tX");
    EXPECT_EQ(MenuText(*items[3]), "-");
    for (TMenuItem* item : items) {
        frmMain->LoadLanguage("none");
        item->Click();
        const bool same = ::lstrcmpiA(frmMain->FLanguages[item->Tag].substr(0, 4).c_str(), "same") == 0;
        EXPECT_EQ(frmMain->msgNotFound, same ? "from A" : "from B") << frmMain->FLanguages[item->Tag];
    }
    // The list is read through a bounded buffer: whole names only.
    std::string many = kList;
    for (int i = 0; i < 2000; ++i) many += "Name" + std::to_string(i) + std::string(10, 'x') + "=ANSI\r\n";
    WriteFile(File, many);
    frmMain->LoadLanguageMenu();
    ASSERT_GT(frmMain->FLanguages.Count(), 100);
    ASSERT_LT(frmMain->FLanguages.Count(), 2000);
    const std::string last = frmMain->FLanguages[frmMain->FLanguages.Count() - 1];
    EXPECT_EQ(last, "Name" + std::to_string(frmMain->FLanguages.Count() - 1) + std::string(10, 'x') + "=ANSI");
}

TEST_F(LanguageTest, BadFilesGiveTheBuiltInTexts) {
    const std::string longText(2047, 'L');
    std::string everyKeyLong = std::string(kList) + "Long=L\r\n[L]\r\n";
    for (std::size_t i = 0; i < LanguageTextCount(); ++i)
        everyKeyLong += std::string(LanguageTexts()[i].Key) + "=" + longText + "\r\n";
    Start(everyKeyLong);
    LanguageItems().at(0)->Click();
    EXPECT_EQ(frmMain->msgNotFound, longText);
    EXPECT_EQ(frmMain->mnitmKeyCopy->Caption(), longText);
    // A long caption, then a short one: the shortcut text stays.
    frmMain->mnitmKeyCopy->SetCaption("&Copy");
    char full[64] = {};
    ::GetMenuStringA(frmMain->mnMain.Handle, ID_MNITMKEYCOPY, full, sizeof full, MF_BYCOMMAND);
    EXPECT_STREQ(full, "&Copy\tCtrl+C");

    // Missing, a folder, empty, NUL bytes, UTF-16 without the section: defaults, no message.
    const std::string folder = TempFile("LANGFOLDER");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string nuls = std::string("[L]\r\nmsgNotFound=a\0b\r\n", 21);
    for (const std::string& name : {TempFile("missing.ini"), folder}) {
        frmMain->FLanguageFile = ToWide(name);
        frmMain->LoadLanguageMenu();
        frmMain->LoadLanguage("L");
        EXPECT_EQ(frmMain->msgNotFound, "Not found!");
        EXPECT_EQ(frmMain->FLanguages.Count(), 0);
    }
    ::RemoveDirectoryA(folder.c_str());
    frmMain->FLanguageFile = ToWide(File);
    for (const std::string& text : {std::string(), nuls, std::string("\xFF\xFE[\0L\0]\0", 8)}) {
        WriteFile(File, text);
        frmMain->LoadLanguage("none");
        EXPECT_EQ(frmMain->msgNotFound, "Not found!");
        frmMain->LoadLanguage("L");
        EXPECT_EQ(frmMain->OkCaption, "&OK");
    }
    EXPECT_TRUE(Boxes.Boxes.empty());
}

namespace {

// A visible top-level window of a process by its title (with none, its first
// message box), waited for up to ten seconds.
HWND WaitForWindow(DWORD pid, const std::string& title) {
    for (int i = 0; i < 200; ++i, ::Sleep(50))
        for (HWND w = nullptr; (w = ::FindWindowExA(nullptr, w, nullptr, nullptr)) != nullptr;) {
            DWORD owner = 0;
            char text[256] = {};
            ::GetWindowThreadProcessId(w, &owner);
            ::GetWindowTextA(w, text, sizeof text);
            const bool wanted = title.empty() ? ::GetDlgItem(w, 0xFFFF) != nullptr : title == text;
            if (owner == pid && ::IsWindowVisible(w) && wanted) return w;
        }
    return nullptr;
}

// Whether a window inside the parent shows the text.
bool HasChildText(HWND parent, const std::string& text) {
    for (HWND w = nullptr; (w = ::FindWindowExA(parent, w, nullptr, nullptr)) != nullptr;) {
        char t[256] = {};
        ::GetWindowTextA(w, t, sizeof t);
        if (text == t || HasChildText(w, text)) return true;
    }
    return false;
}

}  // namespace

// The program as a user starts it, watched from outside: its dialogs and
// message boxes speak the system's language from the start.
TEST(LanguageStart, TheGoToDialogAndAMessageBoxSpeakTheSystemsLanguage) {
    CheckRunCodePage();
    auto text = [](const char* key) { return SystemText(LanguageTexts()[LanguageTextIndex(key)]); };
    const std::string program = ExtractDirPart(GetAppFileName()) + "Tessmorel.exe", favorites = "C:\\windows\\TESSMOREL_FAVORITES.INI";
    // Closed, ended and cleaned up after however the test ends.
    struct TRun {
        PROCESS_INFORMATION Info;
        HWND Main;
        std::string Favorites;
        bool HadFavorites;
        ~TRun() {
            ::Sleep(200);
            if (Main) ::PostMessageA(Main, WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(Info.hProcess, 30000) != WAIT_OBJECT_0) ::TerminateProcess(Info.hProcess, 99);
            ::CloseHandle(Info.hThread);
            ::CloseHandle(Info.hProcess);
            if (!HadFavorites) ::DeleteFileA(Favorites.c_str());
        }
    } run{{}, nullptr, favorites, ::GetFileAttributesA(favorites.c_str()) != INVALID_FILE_ATTRIBUTES};
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + program + "\"";
    ASSERT_TRUE(
        ::CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &run.Info));
    const DWORD pid = run.Info.dwProcessId;
    run.Main = WaitForWindow(pid, "Zarvo Tessmorel");
    ASSERT_NE(run.Main, nullptr) << "the main window did not appear";
    ::PostMessageA(run.Main, WM_COMMAND, ID_MNITMGOTO, 0);
    const HWND goTo = WaitForWindow(pid, text("frmGoTo.Caption"));
    ASSERT_NE(goTo, nullptr) << "no Go To dialog with the system's title";
    for (const char* key : {"frmGoTo.btnOk.Caption", "Cancel.Caption", "frmGoTo.lblKey.Caption"})
        EXPECT_TRUE(HasChildText(goTo, text(key))) << key;
    // A key that is not there: the box says so.
    ::SendMessageA(::GetDlgItem(goTo, IDC_GOTO_EDTKEY), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>("Tessmorel no such key\\below"));
    ::PostMessageA(::GetDlgItem(goTo, IDOK), BM_CLICK, 0, 0);
    const HWND box = WaitForWindow(pid, "");
    ASSERT_NE(box, nullptr) << "no message box";
    char said[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, said, sizeof said);
    EXPECT_EQ(std::string(said).substr(0, text("msgWithoutKey").size()), text("msgWithoutKey")) << said;
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    ::Sleep(200);
    ::PostMessageA(run.Main, WM_COMMAND, ID_MNITMKEYCURRENT, 0);
    const HWND current = WaitForWindow(pid, text("frmCurrentKey.Caption"));
    ASSERT_NE(current, nullptr) << "no Current Key dialog with the system's title";
    EXPECT_TRUE(HasChildText(current, text("frmCurrentKey.lblLongName.Caption")));
    ::PostMessageA(current, WM_CLOSE, 0, 0);
}
