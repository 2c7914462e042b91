// The language loader: applies a section of LANGUAGE.INI to every window,
// builds the Language menu and picks the language of the system's
// character set at start.
#include <cstring>

#include "LanguageTexts.h"
#include "UnitAbout.h"
#include "UnitBin.h"
#include "UnitBinFind.h"
#include "UnitCurrentKey.h"
#include "UnitDword.h"
#include "UnitFavorites.h"
#include "UnitFind.h"
#include "UnitFinding.h"
#include "UnitGoTo.h"
#include "UnitKeyContent.h"
#include "UnitMain.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "UnitStr.h"
#include "UnitValueReplaceConfirm.h"
#include "zrvDir.h"
#include "zrvIniFile.h"

using namespace classlib;

namespace {

const char kLanguageListSection[] = "Tessmorel Language Setting";
const wchar_t kLanguageFile[] = L"LANGUAGE.INI";
// The language list is read through a buffer of this many bytes.
constexpr std::size_t kLanguageListBytes = 16384;

// The windows in the order a language is applied to them, after the main window.
struct TFormEntry {
    const char* Name;
    TForm* (*Get)();
};
const TFormEntry kForms[] = {
    {"frmAbout", [] { return static_cast<TForm*>(frmAbout); }},
    {"frmBin", [] { return static_cast<TForm*>(frmBin); }},
    {"frmBinFind", [] { return static_cast<TForm*>(frmBinFind); }},
    {"frmCurrentKey", [] { return static_cast<TForm*>(frmCurrentKey); }},
    {"frmDword", [] { return static_cast<TForm*>(frmDword); }},
    {"frmFavorites", [] { return static_cast<TForm*>(frmFavorites); }},
    {"frmFind", [] { return static_cast<TForm*>(frmFind); }},
    {"frmFinding", [] { return static_cast<TForm*>(frmFinding); }},
    {"frmGoTo", [] { return static_cast<TForm*>(frmGoTo); }},
    {"frmKeyContent", [] { return static_cast<TForm*>(frmKeyContent); }},
    {"frmReplace", [] { return static_cast<TForm*>(frmReplace); }},
    {"frmReplaceConfirm", [] { return static_cast<TForm*>(frmReplaceConfirm); }},
    {"frmStr", [] { return static_cast<TForm*>(frmStr); }},
    {"frmValueReplaceConfirm", [] { return static_cast<TForm*>(frmValueReplaceConfirm); }},
};

TForm* FormByName(const std::string& name) {
    if (name == "frmMain") return frmMain;
    for (const TFormEntry& f : kForms)
        if (name == f.Name) return f.Get();
    return nullptr;
}

// Keys that set an item of a list-like component by its position.
struct TItemKey {
    const char* Key;
    const char* Component;
    int Item;
};
const TItemKey kItemKeys[] = {
    {"frmMain.ColumnName.Caption", "lstvwValues", 0},
    {"frmMain.ColumnSize.Caption", "lstvwValues", 1},
    {"frmMain.ColumnData.Caption", "lstvwValues", 2},
    {"frmBin.tbstMain.Main", "tbstMain", 0},
    {"frmBin.tbstMain.ViewAsImage", "tbstMain", 1},
    {"frmDword.rdgrpDataType.Dec", "rdgrpDataType", 0},
    {"frmDword.rdgrpDataType.Hex", "rdgrpDataType", 1},
    {"frmFind.rdgrpCondition.SpecialKey", "rdgrpCondition", 0},
    {"frmFind.rdgrpCondition.AllKey", "rdgrpCondition", 1},
};

// Texts without a key of their own: the component takes the text of the key.
struct TCopy {
    const char* Key;
    const char* Target;  // "form.component"
};
// The key and value pop-up menus follow the main menu.
const TCopy kPopupCopies[] = {
    {"frmMain.mnitmNew.Caption", "frmMain.pppmnitmKeyNew"},
    {"frmMain.mnitmNewKey.Caption", "frmMain.pppmnitmKeyNewKey"},
    {"frmMain.mnitmNewDwordValue.Caption", "frmMain.pppmnitmKeyNewDwordValue"},
    {"frmMain.mnitmNewStringValue.Caption", "frmMain.pppmnitmKeyNewStringValue"},
    {"frmMain.mnitmNewBinaryValue.Caption", "frmMain.pppmnitmKeyNewBinaryValue"},
    {"frmMain.mnitmKeyCopy.Caption", "frmMain.pppmnitmKeyCopy"},
    {"frmMain.mnitmKeyPaste.Caption", "frmMain.pppmnitmKeyPaste"},
    {"frmMain.mnitmKeyRename.Caption", "frmMain.pppmnitmKeyRename"},
    {"frmMain.mnitmKeyDel.Caption", "frmMain.pppmnitmKeyDel"},
    {"frmMain.mnitmKeyCurrent.Caption", "frmMain.pppmnitmKeyCurrent"},
    {"frmMain.mnitmKeyContent.Caption", "frmMain.pppmnitmKeyContent"},
    {"frmMain.mnitmExportRegistryKey.Caption", "frmMain.pppmnitmExportRegistryKey"},
    {"frmMain.mnitmFavoritesAdd.Caption", "frmMain.pppmnitmFavoritesAdd"},
    {"frmMain.mnitmRefresh.Caption", "frmMain.pppmnitmRefresh"},
    {"frmMain.mnitmValueEdit.Caption", "frmMain.pppmnitmValueEdit"},
    {"frmMain.mnitmNew.Caption", "frmMain.pppmnitmValueNew"},
    {"frmMain.mnitmNewDwordValue.Caption", "frmMain.pppmnitmValueNewDwordValue"},
    {"frmMain.mnitmNewStringValue.Caption", "frmMain.pppmnitmValueNewStringValue"},
    {"frmMain.mnitmNewBinaryValue.Caption", "frmMain.pppmnitmValueNewBinaryValue"},
    {"frmMain.mnitmValueCopy.Caption", "frmMain.pppmnitmValueCopy"},
    {"frmMain.mnitmValuePaste.Caption", "frmMain.pppmnitmValuePaste"},
    {"frmMain.mnitmValueRename.Caption", "frmMain.pppmnitmValueRename"},
    {"frmMain.mnitmValueDel.Caption", "frmMain.pppmnitmValueDel"},
    {"frmMain.mnitmValueSelectAll.Caption", "frmMain.pppmnitmValueSelectAll"},
};
// Each dialog's buttons, from the shared captions and from texts of the
// windows before it.
const TCopy kDialogCopies[] = {
    {"Ok.Caption", "frmAbout.btnOk"},
    {"Ok.Caption", "frmBin.btnOK"},
    {"Cancel.Caption", "frmBin.btnCancel"},
    {"SaveToFile.Caption", "frmBin.btnSave"},
    {"LoadFromFile.Caption", "frmBin.btnLoad"},
    {"SaveToImage.Caption", "frmBin.btnImageSave"},
    {"LoadFromImage.Caption", "frmBin.btnImageLoad"},
    {"Cancel.Caption", "frmBinFind.btnCancel"},
    {"Find.Caption", "frmBinFind.btnFind"},
    {"Ok.Caption", "frmCurrentKey.btnOk"},
    {"Ok.Caption", "frmDword.btnOk"},
    {"Cancel.Caption", "frmDword.btnCancel"},
    {"Ok.Caption", "frmFavorites.btnOk"},
    {"Cancel.Caption", "frmFavorites.btnCancel"},
    {"Ok.Caption", "frmFind.btnOk"},
    {"Cancel.Caption", "frmFind.btnCancel"},
    {"Cancel.Caption", "frmFinding.btnCancel"},
    {"Cancel.Caption", "frmGoTo.btnCancel"},
    {"Cancel.Caption", "frmReplace.btnCancel"},
    {"Replace.Caption", "frmReplace.btnReplace"},
    {"ReplaceAll.Caption", "frmReplace.btnReplaceAll"},
    {"frmFind.chckbxKey.Caption", "frmReplace.chckbxKey"},
    {"frmFind.chckbxValue.Caption", "frmReplace.chckbxValue"},
    {"frmFind.chckbxData.Caption", "frmReplace.chckbxData"},
    {"frmFind.chckbxWholeWordsOnly.Caption", "frmReplace.chckbxWholeWords"},
    {"Yes.Caption", "frmReplaceConfirm.btnYes"},
    {"Cancel.Caption", "frmReplaceConfirm.btnCancel"},
    {"No.Caption", "frmReplaceConfirm.btnNo"},
    {"All.Caption", "frmReplaceConfirm.btnAll"},
    {"Ok.Caption", "frmStr.btnOk"},
    {"Cancel.Caption", "frmStr.btnCancel"},
    {"SaveToFile.Caption", "frmStr.btnSave"},
    {"LoadFromFile.Caption", "frmStr.btnLoad"},
    {"Print.Caption", "frmStr.btnPrint"},
    {"frmBin.lblName.Caption", "frmStr.lblName"},
    {"frmBin.lblData.Caption", "frmStr.lblData"},
    {"Yes.Caption", "frmValueReplaceConfirm.btnYes"},
    {"Cancel.Caption", "frmValueReplaceConfirm.btnCancel"},
    {"No.Caption", "frmValueReplaceConfirm.btnNo"},
    {"YesToAll.Caption", "frmValueReplaceConfirm.btnAll"},
    {"NoToAll.Caption", "frmValueReplaceConfirm.btnNotToAll"},
};

// The main window's field of a shared caption ("Ok.Caption" -> "OkCaption")
// or of a word or message (the key itself).
std::string MainFieldName(const TLanguageText& text) {
    if (text.Group != TTextGroup::Shared) return text.Key;
    std::string name = text.Key;
    return name.substr(0, name.find('.')) + "Caption";
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// The character sets that have a section of their own.
struct TCharsetSection {
    BYTE Charset;
    const char* Section;
};
const TCharsetSection kCharsetSections[] = {
    {SYMBOL_CHARSET, "SYMBOL"},       {MAC_CHARSET, "MAC"},           {SHIFTJIS_CHARSET, "SHIFTJIS"},
    {HANGEUL_CHARSET, "HANGEUL"},     {JOHAB_CHARSET, "JOHAB"},       {GB2312_CHARSET, "GB2312"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5"}, {GREEK_CHARSET, "GREEK"},   {TURKISH_CHARSET, "TURKISH"},
    {VIETNAMESE_CHARSET, "VIETNAMESE"}, {HEBREW_CHARSET, "HEBREW"},   {ARABIC_CHARSET, "ARABIC"},
    {BALTIC_CHARSET, "BALTIC"},       {RUSSIAN_CHARSET, "RUSSIAN"},   {THAI_CHARSET, "THAI"},
    {EASTEUROPE_CHARSET, "EASTEUROPE"},
};

}  // namespace

void RegisterLanguageFields(TForm& form, const std::string& formName,
                            std::initializer_list<std::pair<std::string*, const char*>> fields) {
    for (const auto& field : fields) {
        form.RegisterText(*field.first, field.second);
        *field.first = LanguageDefault(formName + "." + field.second);
    }
}

std::wstring TfrmMain::LanguageFileName() const {
    return FLanguageFile.empty() ? GetAppDirW() + kLanguageFile : FLanguageFile;
}

void TfrmMain::SetDefaultTexts() {
    const TLanguageText* texts = LanguageTexts();
    for (std::size_t i = 0; i < LanguageTextCount(); ++i) {
        const TLanguageText& text = texts[i];
        if (text.Group == TTextGroup::Main) {
            if (std::string* field = FindText(text.Key)) *field = text.Default;
        } else if (text.Group == TTextGroup::Field) {
            const std::string key = text.Key;
            const size_t dot = key.find('.');
            const std::string name = key.substr(dot + 1);
            if (name == "sHideListCaption" || name == "sShowListCaption") continue;
            if (TForm* form = FormByName(key.substr(0, dot)))
                if (std::string* field = form->FindText(name)) *field = text.Default;
        }
    }
}

void TfrmMain::SetSharedCaptionDefaults() {
    const TLanguageText* texts = LanguageTexts();
    for (std::size_t i = 0; i < LanguageTextCount(); ++i)
        if (texts[i].Group == TTextGroup::Shared)
            if (std::string* field = FindText(MainFieldName(texts[i]))) *field = texts[i].Default;
}

// ---- Targets -------------------------------------------------------------------

void TfrmMain::BuildLanguageTargets() {
    FTextTargets.clear();
    FPendingLanguageKeys.clear();
    const TLanguageText* texts = LanguageTexts();
    const std::size_t count = LanguageTextCount();
    auto pending = [this](const std::string& key) { FPendingLanguageKeys.push_back(key); };
    auto addComponent = [&](std::size_t text, const std::string& formName, const std::string& name,
                            const char* prop, int item, const std::string& key) {
        TForm* form = FormByName(formName);
        TComponent* component = form ? form->FindComponent(name) : nullptr;
        if (!component) return pending(key);
        TTextTarget t;
        t.Text = text;
        t.Component = component;
        t.Prop = prop;
        t.Item = item;
        FTextTargets.push_back(t);
    };
    // A key of the form's own: its title, a component, an item or a field.
    auto addKey = [&](std::size_t i) {
        const std::string key = texts[i].Key;
        const size_t dot = key.find('.');
        const std::string formName = key.substr(0, dot);
        const std::string rest = key.substr(dot + 1);
        for (const TItemKey& item : kItemKeys)
            if (key == item.Key) return addComponent(i, formName, item.Component, "", item.Item, key);
        TForm* form = FormByName(formName);
        TTextTarget t;
        t.Text = i;
        if (texts[i].Group == TTextGroup::Title) {
            if (!form) return pending(key);
            t.Form = form;
        } else if (texts[i].Group == TTextGroup::Field) {
            t.Field = form ? form->FindText(rest) : nullptr;
            if (!t.Field) return pending(key);
        } else {
            const size_t second = rest.find('.');
            const std::string prop = rest.substr(second + 1);
            return addComponent(i, formName, rest.substr(0, second), prop == "Hint" ? "Hint" : "Caption", -1, key);
        }
        FTextTargets.push_back(t);
    };
    auto addCopy = [&](const TCopy& copy) {
        const std::string target = copy.Target;
        const size_t dot = target.find('.');
        addComponent(LanguageTextIndex(copy.Key), target.substr(0, dot), target.substr(dot + 1), "Caption", -1,
                     "(copy) " + target);
    };

    // The main window: shared captions, words and messages, its components,
    // then the pop-up menus that follow the main menu.
    for (std::size_t i = 0; i < count; ++i) {
        if (texts[i].Group != TTextGroup::Shared && texts[i].Group != TTextGroup::Main) continue;
        TTextTarget t;
        t.Text = i;
        t.Field = FindText(MainFieldName(texts[i]));
        if (t.Field)
            FTextTargets.push_back(t);
        else
            pending(texts[i].Key);
    }
    for (std::size_t i = 0; i < count; ++i)
        if (StartsWith(texts[i].Key, "frmMain.")) addKey(i);
    for (const TCopy& copy : kPopupCopies) addCopy(copy);

    // Window by window: title, components, fields, then the copied captions.
    for (const TFormEntry& f : kForms) {
        const std::string prefix = std::string(f.Name) + ".";
        for (TTextGroup group : {TTextGroup::Title, TTextGroup::Component, TTextGroup::Field})
            for (std::size_t i = 0; i < count; ++i)
                if (texts[i].Group == group && StartsWith(texts[i].Key, prefix)) addKey(i);
        for (const TCopy& copy : kDialogCopies)
            if (StartsWith(copy.Target, prefix)) addCopy(copy);
    }
    FTextTargetsBuilt = true;
}

const std::vector<TfrmMain::TTextTarget>& TfrmMain::LanguageTargets() {
    if (!FTextTargetsBuilt) BuildLanguageTargets();
    return FTextTargets;
}

const std::vector<std::string>& TfrmMain::PendingLanguageKeys() {
    if (!FTextTargetsBuilt) BuildLanguageTargets();
    return FPendingLanguageKeys;
}

std::string TfrmMain::TargetText(const TTextTarget& t) {
    if (t.Field) return *t.Field;
    if (t.Form) return t.Form->Caption();
    if (t.Item >= 0) return t.Component->GetItemText(t.Item);
    return t.Component->GetTextProperty(t.Prop);
}

// ---- Applying a language ---------------------------------------------------------

void TfrmMain::ApplyTexts(const TIniSection* section) {
    SetDefaultTexts();
    const TLanguageText* texts = LanguageTexts();
    const std::size_t count = LanguageTextCount();
    std::vector<std::string> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (section && section->Find(texts[i].Key, values[i])) continue;
        values[i] = texts[i].Default;
    }
    for (const TTextTarget& t : LanguageTargets()) {
        const std::string& text = values[t.Text];
        if (t.Field)
            *t.Field = text;
        else if (t.Form)
            t.Form->SetCaption(text);
        else if (t.Item >= 0)
            t.Component->SetItemText(t.Item, text);
        else
            t.Component->SetTextProperty(t.Prop, text);
    }
    // Menu bars whose captions changed width lay themselves out again.
    for (TForm* form : Application().Forms())
        if (form->Menu) ::DrawMenuBar(form->Handle);
}

void TfrmMain::LoadLanguage(const std::string& sectionName) {
    TIniSection section;
    // The file is read afresh: edits made while the program runs count.
    const bool read = ReadIniSection(LanguageFileName(), sectionName, section);
    ApplyTexts(read ? &section : nullptr);
}

void TfrmMain::LoadDefaultLanguage() {
    try {
        for (const TCharsetSection& c : kCharsetSections)
            if (c.Charset == FDefaultCharset) return LoadLanguage(c.Section);
        // Every other character set has the built-in texts.
        ApplyTexts(nullptr);
    } catch (const std::exception& e) {
        ::OutputDebugStringA(e.what());
    }
}

void TfrmMain::LoadLanguageMenu() {
    FLanguages.Clear();
    mnitmLanguage->DeleteFrom(2);
    TIniSection list;
    if (!ReadIniSection(LanguageFileName(), kLanguageListSection, list)) return;
    for (const std::string& name : list.KeyNamesWithin(kLanguageListBytes)) {
        const int line = FLanguages.Count();
        FLanguages.Add(name + "=" + list.ReadString(name, ""));
        // The item shows exactly the name and knows its line: it is found
        // by the name it was made with, never by its menu text.
        mnitmLanguage->AddNamed(name, line, Handler(this, &TfrmMain::mnitmSetLanguageByName));
    }
}

void TfrmMain::mnitmLanguageDefauleClick(TObject*) { LoadDefaultLanguage(); }

void TfrmMain::mnitmSetLanguageByName(TObject* sender) {
    const auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || item->Tag < 0 || item->Tag >= FLanguages.Count()) return;
    const std::string& line = FLanguages[item->Tag];
    // The first line of the item's name (letter case aside) names the section.
    LoadLanguage(FLanguages.Value(line.substr(0, line.find('='))));
}

void TfrmMain::FormShow(TObject*) {
    if (FShown) return;
    FShown = true;
    LoadDefaultLanguage();
    cmbbxAddress.Align = TAlign::alClient;
    Realign();
    mnitmRegistry->SetImageIndex(-1);
    mnitmRegistry->SetImageIndex(5);
}
