#include <set>

#include "BrowserFixture.h"
#include "LanguageTexts.h"
#include "RichEdit.h"
#include "UnitAbout.h"
#include "UnitFind.h"
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
        frmMain->FLanguageFile = File;
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
    ASSERT_TRUE(ReadIniSection(GetAppDir() + "LANGUAGE.INI", "ANSI", ansi));
    ASSERT_EQ(ansi.Entries().size(), LanguageTextCount());
    for (std::size_t i = 0; i < LanguageTextCount(); ++i) {
        EXPECT_EQ(ansi.Entries()[i].first, LanguageTexts()[i].Key);
        EXPECT_EQ(ansi.Entries()[i].second, LanguageTexts()[i].Default);
    }
    TIniSection list;
    ASSERT_TRUE(ReadIniSection(GetAppDir() + "LANGUAGE.INI", "Tessmorel Language Setting", list));
    EXPECT_EQ(list.Entries(), (std::vector<std::pair<std::string, std::string>>{{"English", "ANSI"}}));
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
    Start(std::string(kList) + "Same=A\r\nsame=B\r\nR&D\tX=B\r\n" + Section("A", "msgNotFound=from A\r\n") +
          Section("B", "msgNotFound=from B\r\n"));
    const auto items = LanguageItems();
    ASSERT_GE(items.size(), 2u);
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
        frmMain->FLanguageFile = name;
        frmMain->LoadLanguageMenu();
        frmMain->LoadLanguage("L");
        EXPECT_EQ(frmMain->msgNotFound, "Not found!");
        EXPECT_EQ(frmMain->FLanguages.Count(), 0);
    }
    ::RemoveDirectoryA(folder.c_str());
    frmMain->FLanguageFile = File;
    for (const std::string& text : {std::string(), nuls, std::string("\xFF\xFE[\0L\0]\0", 8)}) {
        WriteFile(File, text);
        frmMain->LoadLanguage("none");
        EXPECT_EQ(frmMain->msgNotFound, "Not found!");
        frmMain->LoadLanguage("L");
        EXPECT_EQ(frmMain->OkCaption, "&OK");
    }
    EXPECT_TRUE(Boxes.Boxes.empty());
}
