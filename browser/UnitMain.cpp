#include "UnitMain.h"

#include <algorithm>

#include "Files.h"
#include "LanguageTexts.h"
#include "Seams.h"
#include "UnitKeyContent.h"
#include "UnitAbout.h"
#include "resource.h"
#include "zrvDialog.h"
#include "zrvDir.h"
#include "zrvRegistry.h"
#include "zrvString.h"

#include <cstdio>
#include <cstring>

#ifndef TESSMOREL_HOMEPAGE
#define TESSMOREL_HOMEPAGE "http://www.zarvo.com/"
#endif
#ifndef TESSMOREL_MAIL
#define TESSMOREL_MAIL "support@zarvo.com"
#endif

using namespace classlib;

TfrmMain* frmMain = nullptr;

namespace {

const wchar_t kFavoritesFile[] = L"\\TESSMOREL_FAVORITES.INI";

// The main window's language-text fields, under the names the language
// texts use for them.
struct TextField {
    const char* Name;
    std::string TfrmMain::*Field;
};
const TextField kTextFields[] = {
    {"OkCaption", &TfrmMain::OkCaption}, {"YesCaption", &TfrmMain::YesCaption},
    {"CancelCaption", &TfrmMain::CancelCaption}, {"NoCaption", &TfrmMain::NoCaption},
    {"FindCaption", &TfrmMain::FindCaption}, {"ReplaceCaption", &TfrmMain::ReplaceCaption},
    {"ReplaceAllCaption", &TfrmMain::ReplaceAllCaption}, {"AllCaption", &TfrmMain::AllCaption},
    {"SaveToFileCaption", &TfrmMain::SaveToFileCaption}, {"LoadFromFileCaption", &TfrmMain::LoadFromFileCaption},
    {"PrintCaption", &TfrmMain::PrintCaption}, {"SaveToImageCaption", &TfrmMain::SaveToImageCaption},
    {"LoadFromImageCaption", &TfrmMain::LoadFromImageCaption}, {"YesToAllCaption", &TfrmMain::YesToAllCaption},
    {"NoToAllCaption", &TfrmMain::NoToAllCaption}, {"sKeyName", &TfrmMain::sKeyName},
    {"sVallueName", &TfrmMain::sVallueName}, {"sDataName", &TfrmMain::sDataName},
    {"sMaxLengthName", &TfrmMain::sMaxLengthName}, {"sLengthName", &TfrmMain::sLengthName},
    {"sByteName", &TfrmMain::sByteName}, {"sBytesName", &TfrmMain::sBytesName},
    {"msgAccessRegistryError", &TfrmMain::msgAccessRegistryError}, {"msgWithoutKey", &TfrmMain::msgWithoutKey},
    {"msgReplaceKeyNameFailed", &TfrmMain::msgReplaceKeyNameFailed}, {"msgCopyKeyError", &TfrmMain::msgCopyKeyError},
    {"msgDeleteKeyError", &TfrmMain::msgDeleteKeyError}, {"msgInvalidKeyName", &TfrmMain::msgInvalidKeyName},
    {"msgRenameFailed", &TfrmMain::msgRenameFailed}, {"msgSureToRenameFrom", &TfrmMain::msgSureToRenameFrom},
    {"msgSureToChangeFrom", &TfrmMain::msgSureToChangeFrom}, {"msgCanNotRenameItTo", &TfrmMain::msgCanNotRenameItTo},
    {"msgCanNotRenameFrom", &TfrmMain::msgCanNotRenameFrom}, {"msgRenameTo", &TfrmMain::msgRenameTo},
    {"msgChangeTo", &TfrmMain::msgChangeTo}, {"msgHaveSubkeyInSameName", &TfrmMain::msgHaveSubkeyInSameName},
    {"msgCreatekeyFailed", &TfrmMain::msgCreatekeyFailed}, {"msgCreateValueFailed", &TfrmMain::msgCreateValueFailed},
    {"msgNoneCurrentKey", &TfrmMain::msgNoneCurrentKey}, {"msgFindActionFinish", &TfrmMain::msgFindActionFinish},
    {"msgReplaceActionFinish", &TfrmMain::msgReplaceActionFinish},
    {"msgReplaceActionCanceled", &TfrmMain::msgReplaceActionCanceled}, {"msgNotFound", &TfrmMain::msgNotFound},
    {"msgImportSuccess", &TfrmMain::msgImportSuccess},
    {"msgUnknowRegistryFileVersion", &TfrmMain::msgUnknowRegistryFileVersion},
    {"msgErrorHappenWhenImport", &TfrmMain::msgErrorHappenWhenImport}, {"msgFileNotExit", &TfrmMain::msgFileNotExit},
    {"msgSureToImportFile", &TfrmMain::msgSureToImportFile},
    {"msgContinueToReplaceAllSameItems", &TfrmMain::msgContinueToReplaceAllSameItems},
    {"msgDeleteQuery", &TfrmMain::msgDeleteQuery},
    {"msgDeleteSelectValueQuery", &TfrmMain::msgDeleteSelectValueQuery},
    {"msgDeleteAllSelectValueQuery", &TfrmMain::msgDeleteAllSelectValueQuery},
    {"msgValueNamed", &TfrmMain::msgValueNamed},
    {"msgValueExiststAndReplaceQuery", &TfrmMain::msgValueExiststAndReplaceQuery},
    {"msgLargeFileQuery", &TfrmMain::msgLargeFileQuery}, {"msgExportLeftOut", &TfrmMain::msgExportLeftOut},
    {"msgFavoritesNotSaved", &TfrmMain::msgFavoritesNotSaved},
    {"msgKeyNotWritable", &TfrmMain::msgKeyNotWritable}, {"msgReplacedCount", &TfrmMain::msgReplacedCount},
    {"msgNotReplacedCount", &TfrmMain::msgNotReplacedCount},
    {"msgKeyAccessDenied", &TfrmMain::msgKeyAccessDenied},
    {"msgFavoriteNameNotKept", &TfrmMain::msgFavoriteNameNotKept},
    {"msgValuesNotCopied", &TfrmMain::msgValuesNotCopied}, {"msgTextNotKept", &TfrmMain::msgTextNotKept},
    {"msgFavoritesMenuFull", &TfrmMain::msgFavoritesMenuFull},
};

}  // namespace

// ---- Binding table -----------------------------------------------------------

void TfrmMain::BindComponents() {
    for (const TextField& t : kTextFields) RegisterText(this->*t.Field, t.Name);
    imglstMain.LoadStrip(Application().Instance, IDB_IMGLSTMAIN);
    Register(imglstMain, "imglstMain");

    Bind(clbrMain, IDC_CLBRMAIN, "clbrMain", TAlign::alTop);
    Bind(sttsbrMain, IDC_STTSBRMAIN, "sttsbrMain", TAlign::alBottom);
    Bind(trvwKeys, IDC_TRVWKEYS, "trvwKeys", TAlign::alLeft);
    Bind(splttrMain, IDC_SPLTTRMAIN, "splttrMain", TAlign::alLeft);
    Bind(pnlValues, IDC_PNLVALUES, "pnlValues", TAlign::alClient);
    Bind(lstvwValues, IDC_LSTVWVALUES, "lstvwValues", TAlign::alClient, &pnlValues);
    Bind(tlbrTool, IDC_TLBRTOOL, "tlbrTool");
    Bind(pnlAddressBar, IDC_PNLADDRESSBAR, "pnlAddressBar");
    Bind(pnlAddress, IDC_PNLADDRESS, "pnlAddress", TAlign::alLeft, &pnlAddressBar);
    Bind(pnlRoot, IDC_PNLROOT, "pnlRoot", TAlign::alLeft, &pnlAddressBar);
    Bind(pnlGo, IDC_PNLGO, "pnlGo", TAlign::alRight, &pnlAddressBar);
    Bind(cmbbxAddress, IDC_CMBBXADDRESS, "cmbbxAddress", TAlign::alClient, &pnlAddressBar);
    splttrMain.Control = &trvwKeys;

    // Menus.
    mnMain.Load(*this, IDM_MAIN, false);
    Register(mnMain, "mnMain");
    Menu = &mnMain;
    ::SetMenu(Handle, mnMain.Handle);
    struct MenuBinding {
        TMenuItem** Field;
        int Id;
        const char* Name;
        int Tag;
    };
    const MenuBinding mainItems[] = {
        {&mnitmRegistry, ID_MNITMREGISTRY, "mnitmRegistry", 0},
        {&mnitmExportRegistryKey, ID_MNITMEXPORTREGISTRYKEY, "mnitmExportRegistryKey", 0},
        {&mnitmExportAllKey, ID_MNITMEXPORTALLKEY, "mnitmExportAllKey", 0},
        {&mnitmImport, ID_MNITMIMPORT, "mnitmImport", 0},
        {&mnitmEditRegFile, ID_MNITMEDITREGFILE, "mnitmEditRegFile", 0},
        {&mnitmPrintKeyContent, ID_MNITMPRINTKEYCONTENT, "mnitmPrintKeyContent", 0},
        {&mnitmExit, ID_MNITMEXIT, "mnitmExit", 0},
        {&mnitmControl, ID_MNITMCONTROL, "mnitmControl", 0},
        {&mnitmRefresh, ID_MNITMREFRESH, "mnitmRefresh", 0},
        {&mnitmRefreshAll, ID_MNITMREFRESHALL, "mnitmRefreshAll", 0},
        {&mnitmGoTo, ID_MNITMGOTO, "mnitmGoTo", 0},
        {&mnitmGoToLast, ID_MNITMGOTOLAST, "mnitmGoToLast", 0},
        {&mnitmEdit, ID_MNITMEDIT, "mnitmEdit", 0},
        {&mnitmNew, ID_MNITMNEW, "mnitmNew", 0},
        {&mnitmNewKey, ID_MNITMNEWKEY, "mnitmNewKey", 0},
        {&mnitmNewDwordValue, ID_MNITMNEWDWORDVALUE, "mnitmNewDwordValue", mtNewDword},
        {&mnitmNewStringValue, ID_MNITMNEWSTRINGVALUE, "mnitmNewStringValue", mtNewString},
        {&mnitmNewBinaryValue, ID_MNITMNEWBINARYVALUE, "mnitmNewBinaryValue", mtNewBinary},
        {&mnitmKey, ID_MNITMKEY, "mnitmKey", 0},
        {&mnitmKeyCopy, ID_MNITMKEYCOPY, "mnitmKeyCopy", mtKey},
        {&mnitmKeyPaste, ID_MNITMKEYPASTE, "mnitmKeyPaste", mtKey},
        {&mnitmKeyRename, ID_MNITMKEYRENAME, "mnitmKeyRename", mtKey},
        {&mnitmKeyDel, ID_MNITMKEYDEL, "mnitmKeyDel", mtKey},
        {&mnitmValue, ID_MNITMVALUE, "mnitmValue", 0},
        {&mnitmValueEdit, ID_MNITMVALUEEDIT, "mnitmValueEdit", mtValue},
        {&mnitmValueCopy, ID_MNITMVALUECOPY, "mnitmValueCopy", mtValue},
        {&mnitmValuePaste, ID_MNITMVALUEPASTE, "mnitmValuePaste", mtValue},
        {&mnitmValueRename, ID_MNITMVALUERENAME, "mnitmValueRename", mtValue},
        {&mnitmValueDel, ID_MNITMVALUEDEL, "mnitmValueDel", mtValue},
        {&mnitmValueSelectAll, ID_MNITMVALUESELECTALL, "mnitmValueSelectAll", 0},
        {&mnitmFind, ID_MNITMFIND, "mnitmFind", 0},
        {&mnitmFindNext, ID_MNITMFINDNEXT, "mnitmFindNext", 0},
        {&mnitmReplace, ID_MNITMREPLACE, "mnitmReplace", 0},
        {&mnitmView, ID_MNITMVIEW, "mnitmView", 0},
        {&mnitmKeyCurrent, ID_MNITMKEYCURRENT, "mnitmKeyCurrent", 0},
        {&mnitmKeyContent, ID_MNITMKEYCONTENT, "mnitmKeyContent", 0},
        {&mnitmTool, ID_MNITMTOOL, "mnitmTool", 0},
        {&mnitmRegEditNotepad, ID_MNITMREGEDITNOTEPAD, "mnitmRegEditNotepad", 0},
        {&mnitmHexEditer, ID_MNITMHEXEDITER, "mnitmHexEditer", 0},
        {&mnitmFavorites, ID_MNITMFAVORITES, "mnitmFavorites", 0},
        {&mnitmFavoritesAdd, ID_MNITMFAVORITESADD, "mnitmFavoritesAdd", 0},
        {&mnitmFavoritesManage, ID_MNITMFAVORITESMANAGE, "mnitmFavoritesManage", 0},
        {&mnitmLanguage, ID_MNITMLANGUAGE, "mnitmLanguage", 0},
        {&mnitmLanguageDefaule, ID_MNITMLANGUAGEDEFAULE, "mnitmLanguageDefaule", 0},
        {&mnitmHelp, ID_MNITMHELP, "mnitmHelp", 0},
        {&mnitmHelpContent, ID_MNITMHELPCONTENT, "mnitmHelpContent", 0},
        {&mnitmHomepage, ID_MNITMHOMEPAGE, "mnitmHomepage", 0},
        {&mnitmSuggestorQuestion, ID_MNITMSUGGESTORQUESTION, "mnitmSuggestorQuestion", 0},
        {&mnitmAbout, ID_MNITMABOUT, "mnitmAbout", 0},
    };
    for (const auto& b : mainItems) *b.Field = mnMain.Bind(b.Id, b.Name, b.Tag);

    pppmnKey.Load(*this, IDM_KEYPOPUP, true);
    Register(pppmnKey, "pppmnKey");
    const MenuBinding keyItems[] = {
        {&pppmnitmKeyNew, ID_PPPMNITMKEYNEW, "pppmnitmKeyNew", 0},
        {&pppmnitmKeyNewKey, ID_PPPMNITMKEYNEWKEY, "pppmnitmKeyNewKey", 0},
        {&pppmnitmKeyNewDwordValue, ID_PPPMNITMKEYNEWDWORDVALUE, "pppmnitmKeyNewDwordValue", mtNewDword},
        {&pppmnitmKeyNewStringValue, ID_PPPMNITMKEYNEWSTRINGVALUE, "pppmnitmKeyNewStringValue", mtNewString},
        {&pppmnitmKeyNewBinaryValue, ID_PPPMNITMKEYNEWBINARYVALUE, "pppmnitmKeyNewBinaryValue", mtNewBinary},
        {&pppmnitmKeyCopy, ID_PPPMNITMKEYCOPY, "pppmnitmKeyCopy", mtKey},
        {&pppmnitmKeyPaste, ID_PPPMNITMKEYPASTE, "pppmnitmKeyPaste", mtKey},
        {&pppmnitmKeyRename, ID_PPPMNITMKEYRENAME, "pppmnitmKeyRename", mtKey},
        {&pppmnitmKeyDel, ID_PPPMNITMKEYDEL, "pppmnitmKeyDel", mtKey},
        {&pppmnitmKeyContent, ID_PPPMNITMKEYCONTENT, "pppmnitmKeyContent", 0},
        {&pppmnitmExportRegistryKey, ID_PPPMNITMEXPORTREGISTRYKEY, "pppmnitmExportRegistryKey", 0},
        {&pppmnitmKeyCurrent, ID_PPPMNITMKEYCURRENT, "pppmnitmKeyCurrent", 0},
        {&pppmnitmFavoritesAdd, ID_PPPMNITMFAVORITESADD, "pppmnitmFavoritesAdd", 0},
        {&pppmnitmRefresh, ID_PPPMNITMREFRESH, "pppmnitmRefresh", 0},
    };
    for (const auto& b : keyItems) *b.Field = pppmnKey.Bind(b.Id, b.Name, b.Tag);

    pppmnValue.Load(*this, IDM_VALUEPOPUP, true);
    Register(pppmnValue, "pppmnValue");
    const MenuBinding valueItems[] = {
        {&pppmnitmValueEdit, ID_PPPMNITMVALUEEDIT, "pppmnitmValueEdit", mtValue},
        {&pppmnitmValueNew, ID_PPPMNITMVALUENEW, "pppmnitmValueNew", 0},
        {&pppmnitmValueNewDwordValue, ID_PPPMNITMVALUENEWDWORDVALUE, "pppmnitmValueNewDwordValue", mtNewDword},
        {&pppmnitmValueNewStringValue, ID_PPPMNITMVALUENEWSTRINGVALUE, "pppmnitmValueNewStringValue", mtNewString},
        {&pppmnitmValueNewBinaryValue, ID_PPPMNITMVALUENEWBINARYVALUE, "pppmnitmValueNewBinaryValue", mtNewBinary},
        {&pppmnitmValueCopy, ID_PPPMNITMVALUECOPY, "pppmnitmValueCopy", mtValue},
        {&pppmnitmValuePaste, ID_PPPMNITMVALUEPASTE, "pppmnitmValuePaste", mtValue},
        {&pppmnitmValueRename, ID_PPPMNITMVALUERENAME, "pppmnitmValueRename", mtValue},
        {&pppmnitmValueDel, ID_PPPMNITMVALUEDEL, "pppmnitmValueDel", mtValue},
        {&pppmnitmValueSelectAll, ID_PPPMNITMVALUESELECTALL, "pppmnitmValueSelectAll", 0},
    };
    for (const auto& b : valueItems) *b.Field = pppmnValue.Bind(b.Id, b.Name, b.Tag);

    pppmnRootKey.Load(*this, IDM_ROOTPOPUP, true);
    Register(pppmnRootKey, "pppmnRootKey");
    trvwKeys.PopupMenu = &pppmnKey;
    lstvwValues.PopupMenu = &pppmnValue;

    // Tool bar, left to right.
    struct ToolBinding {
        TToolButton* Button;
        int Id;
        const char* Name;
        int Image;
        TNotifyEvent OnClick;
    };
    const ToolBinding tools[] = {
        {&tlbrExportRegistryKey, ID_TLBREXPORTREGISTRYKEY, "tlbrExportRegistryKey", 6, Handler(this, &TfrmMain::mnitmExportRegistryKeyClick)},
        {&tlbrExportAllKey, ID_TLBREXPORTALLKEY, "tlbrExportAllKey", 7, Handler(this, &TfrmMain::mnitmExportAllKeyClick)},
        {&tlbrImport, ID_TLBRIMPORT, "tlbrImport", 10, Handler(this, &TfrmMain::mnitmImportClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrmEditRegFile, ID_TLBRMEDITREGFILE, "tlbrmEditRegFile", 11, Handler(this, &TfrmMain::mnitmEditRegFileClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrFind, ID_TLBRFIND, "tlbrFind", 12, Handler(this, &TfrmMain::mnitmFindClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrRefresh, ID_TLBRREFRESH, "tlbrRefresh", 13, Handler(this, &TfrmMain::mnitmRefreshClick)},
        {&tlbrGoTo, ID_TLBRGOTO, "tlbrGoTo", 15, Handler(this, &TfrmMain::mnitmGoToClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrFavoritesAdd, ID_TLBRFAVORITESADD, "tlbrFavoritesAdd", 16, Handler(this, &TfrmMain::mnitmFavoritesAddClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrKeyContent, ID_TLBRKEYCONTENT, "tlbrKeyContent", 17, Handler(this, &TfrmMain::pppmnitmKeyContentClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrRegEditNotepad, ID_TLBRREGEDITNOTEPAD, "tlbrRegEditNotepad", 18, Handler(this, &TfrmMain::mnitmRegEditNotepadClick)},
        {&tlbrHexEditer, ID_TLBRHEXEDITER, "tlbrHexEditer", 19, Handler(this, &TfrmMain::mnitmHexEditerClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrHomepage, ID_TLBRHOMEPAGE, "tlbrHomepage", 20, Handler(this, &TfrmMain::mnitmHomepageClick)},
        {&tlbrEmail, ID_TLBREMAIL, "tlbrEmail", 21, Handler(this, &TfrmMain::mnitmSuggestorQuestionClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrHelpContent, ID_TLBRHELPCONTENT, "tlbrHelpContent", 22, Handler(this, &TfrmMain::mnitmHelpContentClick)},
        {nullptr, 0, nullptr, 0, {}},
        {&tlbrExit, ID_TLBREXIT, "tlbrExit", 23, Handler(this, &TfrmMain::mnitmExitClick)},
    };
    std::vector<TToolButton*> buttons;
    size_t separator = 0;
    for (const auto& t : tools) {
        TToolButton* b = t.Button ? t.Button : &tlbrSeparators.at(separator++);
        if (t.Button) {
            b->CommandId = t.Id;
            b->Name = t.Name;
            b->ImageIndex = t.Image;
            b->Hint = LanguageDefault(std::string("frmMain.") + t.Name + ".Hint");
            b->OnClick = t.OnClick;
        }
        buttons.push_back(b);
    }
    tlbrTool.SetImages(imglstMain);
    tlbrTool.AddButtons(*this, buttons);

    // Cool bar: the tool bar, then the address bar on a row of its own.
    const SIZE toolSize = tlbrTool.IdealSize();
    tlbrTool.SetBounds(0, 0, toolSize.cx, toolSize.cy);
    clbrMain.AddBand(tlbrTool, toolSize.cy, false);
    pnlAddress.SetBounds(0, 0, 52, 22);
    pnlRoot.SetBounds(0, 0, 36, 22);
    pnlGo.SetBounds(0, 0, 36, 22);
    pnlRoot.Hint = "Input a rootkey's name";
    cmbbxAddress.Hint = "Input key's address here,then you could jump to it quickly";
    pnlGo.Hint = "Goto key special in address combobox";
    RECT combo{};
    ::GetWindowRect(cmbbxAddress.Handle, &combo);
    clbrMain.AddBand(pnlAddressBar, combo.bottom - combo.top + 2, true);

    // Tree and list.
    trvwKeys.SetImages(imglstMain);
    trvwKeys.SetIndent(19);
    trvwKeys.SetBounds(0, 0, 241, 100);
    splttrMain.SetBounds(0, 0, 3, 100);
    lstvwValues.SetSmallImages(imglstMain);
    ListView_SetExtendedListViewStyle(lstvwValues.Handle, LVS_EX_FULLROWSELECT);
    lstvwValues.SortByCaption = true;
    lstvwValues.AddColumn(LanguageDefault("frmMain.ColumnName.Caption"), 176);
    lstvwValues.AddColumn(LanguageDefault("frmMain.ColumnSize.Caption"), 50);
    lstvwValues.AddColumn(LanguageDefault("frmMain.ColumnData.Caption"), 211);
    sttsbrMain.SetPanels({400, -1});

    // Events.
    OnCloseQuery = [this](TObject* s, bool& can) { FormCloseQuery(s, can); };
    OnClose = Handler(this, &TfrmMain::FormClose);
    OnShow = Handler(this, &TfrmMain::FormShow);
    mnitmLanguageDefaule->OnClick = Handler(this, &TfrmMain::mnitmLanguageDefauleClick);
    Application().OnMinimize = Handler(this, &TfrmMain::applictnevntMainMinimize);
    for (TMenuItem* top : {mnitmRegistry, mnitmControl, mnitmEdit, mnitmView, mnitmFavorites})
        top->OnClick = Handler(this, &TfrmMain::mnitmRegistryClick);
    mnitmExit->OnClick = Handler(this, &TfrmMain::mnitmExitClick);
    mnitmHelpContent->OnClick = Handler(this, &TfrmMain::mnitmHelpContentClick);
    mnitmHomepage->OnClick = Handler(this, &TfrmMain::mnitmHomepageClick);
    mnitmSuggestorQuestion->OnClick = Handler(this, &TfrmMain::mnitmSuggestorQuestionClick);
    mnitmRegEditNotepad->OnClick = Handler(this, &TfrmMain::mnitmRegEditNotepadClick);
    mnitmAbout->OnClick = Handler(this, &TfrmMain::mnitmAboutClick);
    mnitmRefresh->OnClick = pppmnitmRefresh->OnClick = Handler(this, &TfrmMain::mnitmRefreshClick);
    mnitmRefreshAll->OnClick = Handler(this, &TfrmMain::mnitmRefreshAllClick);
    mnitmValueSelectAll->OnClick = pppmnitmValueSelectAll->OnClick =
        Handler(this, &TfrmMain::pppmnitmValueSelectAllClick);
    trvwKeys.OnClick = Handler(this, &TfrmMain::trvwKeysClick);
    lstvwValues.OnResize = Handler(this, &TfrmMain::lstvwValuesResize);
    BindValueEditing();
    trvwKeys.OnKeyUp = [this](TObject* s, WORD& k, UINT sh) { trvwKeysKeyUp(s, k, sh); };
    trvwKeys.OnExpanding = [this](TObject* s, TTreeNode n, bool& a) { trvwKeysExpanding(s, n, a); };
    trvwKeys.OnExpanded = [this](TObject* s, TTreeNode n) { trvwKeysExpanded(s, n); };
    trvwKeys.OnHasChildren = [this](TTreeNode n) { return trvwKeysHasChildren(n); };
    trvwKeys.OnEditing = [this](TObject* s, TTreeNode n, bool& a) { trvwKeysEditing(s, n, a); };
    BindKeyCommands();
    BindContentCommands();
    BindAddressCommands();
    BindFindCommands();
    BindClipboardCommands();
    BindFavoriteCommands();
    BindMenuStates();
}

void TfrmMain::LayOut() {
    ::SetWindowPos(Handle, nullptr, 0, 0, 640, 468, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterOnScreen();
    Realign();
}

// ---- Start-up and shutdown ---------------------------------------------------

std::wstring TfrmMain::FavoritesFileName() const { return FSystemRoot + kFavoritesFile; }

namespace {

// The value SystemRoot of the version key, without a trailing "\\"; empty
// when it cannot be read.
std::wstring WindowsFolder(const wchar_t* versionKey) {
    TRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, versionKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return std::wstring();
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.Get(), L"SystemRoot", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), L"SystemRoot", nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    std::wstring folder(text.data());  // up to the first NUL
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

}  // namespace

void TfrmMain::FormCreate() {
    LayOut();
    try {
        // 1. Texts first, so that an error below is reported with its text.
        SetDefaultTexts();
        SetSharedCaptionDefaults();
        FPinned = false;
        FRegistry.SetRootKey(HKEY_LOCAL_MACHINE);
        FFindFound = false;
        FValueCopy.Clear();
        FFavorites.Clear();
        FLanguages.Clear();
        // 2. Version probe.
        FVersionInfo = WindowsVersion();
        // 3. Registry-file header line.
        if (FVersionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT && FVersionInfo.dwMajorVersion > 4)
            FRegFileHeader = "Windows Registry Editor Version 5.00";
        else if (FVersionInfo.dwMajorVersion == 4)
            FRegFileHeader = "REGEDIT4";
        else
            FRegFileHeader = "REGEDIT3";
        // 4. Character set of the system's default font.
        LOGFONTA font{};
        ::GetObjectA(::GetStockObject(SYSTEM_FONT), sizeof font, &font);
        FDefaultCharset = font.lfCharSet;
        // 5. Windows folder, by its real name.
        FSystemRoot = WindowsFolder(FVersionInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS
                                        ? L"Software\\Microsoft\\Windows\\CurrentVersion"
                                        : L"Software\\Microsoft\\Windows NT\\CurrentVersion");
        // 6. Favourites; an unreadable file leaves the list empty, and is
        // kept as it is at close.
        FFavoritesUnreadable = false;
        FFavoritesChanged = false;
        if (IsFile(FavoritesFileName())) {
            try {
                FFavorites.LoadFromFile(FavoritesFileName());
            } catch (const EInvalidOperation&) {
                FFavorites.Clear();
                FFavoritesUnreadable = true;
            }
        }
        // 7. Find options and clipboards.
        FFindOptions = TFindOptions{};
        FFindState = TFindInfo{};
        FFindState.FoundKind = -1;
        FKeyCopy = TKeyCopyData{};
        FValueCopy.Clear();
        FMenuStateInitialised = false;
        // 8. Root nodes and the address list.
        LoadRootKeys();
        // 9. Language and Favorites menus: the few languages before what
        // may be a long list of favourites.
        LoadLanguageMenu();
        LoadFavoritesMenu(FFavorites);
        // 10. Help file, beside the program.
        Application().HelpFile = GetAppDirW() + L"Tessmorel.hlp";
    } catch (const std::exception& e) {
        ::OutputDebugStringA(e.what());
        NotifyError(msgAccessRegistryError);
    }
}

void TfrmMain::FormCloseQuery(TObject*, bool& canClose) {
    if (FSearching) {
        // Nothing goes while the search still walks the registry: it stops,
        // and the window closes once it has.
        canClose = false;
        StopFinding = true;
        FCloseAfterSearch = true;
        return;
    }
    if (FPinned) {
        canClose = false;
        SetTopMost(true);
    } else {
        SetTopMost(false);
        canClose = true;
    }
}

void TfrmMain::applictnevntMainMinimize(TObject*) {
    if (FPinned) ::ShowWindow(Handle, SW_RESTORE);
}

void TfrmMain::mnitmRegistryClick(TObject*) { UpdateMenuState(kKeyItems | kValueItems); }

void TfrmMain::mnitmExitClick(TObject*) { Close(); }

void TfrmMain::mnitmHelpContentClick(TObject*) {
    // The help viewer takes names in the code page only: it gets one that
    // names this very file, or nothing.
    std::wstring file;
    if (!CodePageFileName(Application().HelpFile, file)) {
        NotifyError(L"The help file cannot be opened by its name:\r\n" + Application().HelpFile);
        return;
    }
    Seams().WinHelp(Handle, file, HELP_CONTENTS, 0);
}

void TfrmMain::mnitmHomepageClick(TObject*) { Seams().ShellExecute(Handle, "open", TESSMOREL_HOMEPAGE, SW_SHOWNORMAL); }

void TfrmMain::mnitmSuggestorQuestionClick(TObject*) {
    Seams().ShellExecute(Handle, "open", std::string("mailto:") + TESSMOREL_MAIL, SW_SHOWNORMAL);
}

void TfrmMain::mnitmRegEditNotepadClick(TObject*) {
    frmKeyContent->ClearContent();
    frmKeyContent->ShowModal();
}

void TfrmMain::mnitmAboutClick(TObject*) { frmAbout->ShowModal(); }

void TfrmMain::pppmnitmValueSelectAllClick(TObject*) { lstvwValues.SelectAll(); }

// ---- Key tree ------------------------------------------------------------------

TTreeData* TfrmMain::NodeData(TTreeNode node) { return dynamic_cast<TTreeData*>(node.Data()); }

void TfrmMain::ClearKeyTree() {
    trvwKeys.Clear();  // each node's data goes with it
    for (auto& n : FRootNodes) n = TTreeNode();
}

void TfrmMain::AddRootNode(HKEY rootKey, const std::string& rootName) {
    auto* data = new TTreeData();
    data->RootKey = rootKey;
    TTreeNode node = trvwKeys.AddChild(TTreeNode(), rootName, data, iiKey, iiKeySelected);
    FRootNodes.at(static_cast<size_t>(RootKeyIndex(rootKey))) = node;
    trvwKeys.AddChild(node, ".", nullptr);
}

void TfrmMain::LoadRootKeys() {
    const bool atStart = pppmnRootKey.Root.Count() == 0;
    ClearKeyTree();
    for (HKEY root : ShownRootKeys(FVersionInfo)) {
        const std::string name = RootKeyToName(root);
        AddRootNode(root, name);
        if (atStart) {
            cmbbxAddress.AddItem(name + ":");
            AddRootKeyMenuItem(name);
        }
    }
}

void TfrmMain::LoadSubKeys(HKEY rootKey, TTreeNode node, const std::wstring& keyPath) {
    // Reading is all a listing needs: a key that may be read but not
    // written is listed like any other.
    FRegistry.SetRootKey(rootKey);
    TTreeData* parentData = NodeData(node);
    if (!FRegistry.OpenKeyReadOnly(keyPath)) {
        // Gone meanwhile, or closed to us: nothing to expand any more.
        if (parentData) parentData->SubKeyCount = 0;
        return;
    }
    const HKEY parent = FRegistry.CurrentKey();
    std::vector<std::wstring> names;
    TSubKeyEnum subKeys(parent);
    names.reserve(subKeys.Count());
    for (DWORD i = 0; i < subKeys.Count(); ++i)
        if (subKeys.Read(i) == ERROR_SUCCESS) names.push_back(subKeys.NameText());
    // The tree shows its nodes in text order; sorting the names once and
    // adding each at the end keeps a large level linear to load.
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) < 0; });
    if (parentData) parentData->SubKeyCount = static_cast<int>(names.size());
    trvwKeys.BeginUpdate();
    try {
        for (const std::wstring& name : names) {
            auto* data = new TTreeData();
            data->RootKey = rootKey;
            data->WideName = name;
            data->KeyName = UpperCaseAscii(ToAnsi(name));
            // Shown as it is, also where the code page cannot hold it. Whether
            // it can expand is read only when the tree shows it: a level of
            // thousands of keys costs no more than listing their names.
            trvwKeys.AddChildOnDemand(node, name, data, iiKey, iiKeySelected);
        }
    } catch (...) {
        trvwKeys.EndUpdate();
        FRegistry.CloseKey();
        throw;
    }
    trvwKeys.EndUpdate();
    FRegistry.CloseKey();
    if (parentData) parentData->Loaded = true;
}

void TfrmMain::EnsureSubKeysLoaded(TTreeNode node) {
    TTreeData* data = NodeData(node);
    if (!data || data->Loaded) return;
    node.DeleteChildren();
    LoadSubKeys(data->RootKey, node, GetNodeKeyPath(node));
}

std::wstring TfrmMain::GetNodeKeyPath(TTreeNode node) const {
    std::wstring path;
    while (node && node.Parent()) {
        TTreeData* data = NodeData(node);
        if (!data || data->WideName.empty()) break;
        path = path.empty() ? data->WideName : data->WideName + L"\\" + path;
        node = node.Parent();
    }
    return path;
}

std::string TfrmMain::GetNodePath(TTreeNode node) const {
    std::string path;
    while (node && node.Parent()) {
        TTreeData* data = NodeData(node);
        if (!data || data->KeyName.empty()) break;
        path = path.empty() ? node.Text() : node.Text() + "\\" + path;
        node = node.Parent();
    }
    return path;
}

std::string TfrmMain::GetNodeLongName(TTreeNode node) const {
    TTreeData* data = NodeData(node);
    const std::string root = RootKeyToName(data ? data->RootKey : nullptr);
    const std::string path = GetNodePath(node);
    return path.empty() ? "[" + root + "]" : "[" + root + "\\" + path + "]";
}

std::wstring KeyLongName(HKEY rootKey, const std::wstring& keyPath) {
    const std::wstring root = ToWide(RootKeyToName(rootKey));
    return L"[" + (keyPath.empty() ? root : root + L"\\" + keyPath) + L"]";
}

std::wstring NameLines(const std::vector<std::wstring>& names) {
    const size_t shown = 10;
    std::wstring lines;
    for (size_t i = 0; i < names.size() && i < shown; ++i) lines += L"\r\n" + names[i];
    if (names.size() > shown) lines += L"\r\n...";
    return lines;
}

std::wstring TfrmMain::GetNodeKeyLongName(TTreeNode node) const {
    TTreeData* data = NodeData(node);
    return KeyLongName(data ? data->RootKey : nullptr, GetNodeKeyPath(node));
}

void TfrmMain::ShowNodeLongName(TTreeNode node) { sttsbrMain.SetPanelText(0, GetNodeKeyLongName(node)); }

TTreeNode TfrmMain::FindKeyNode(HKEY rootKey, const std::string& keyPath) {
    const int index = RootKeyIndex(rootKey);
    if (index < 0) return {};
    TTreeNode node = FRootNodes.at(static_cast<size_t>(index));
    if (!node) return {};
    if (keyPath.empty()) return node;
    std::vector<std::string> parts;
    const std::string upper = UpperCaseAscii(keyPath);
    size_t start = 0;
    while (start <= upper.size()) {
        size_t end = upper.find('\\', start);
        if (end == std::string::npos) end = upper.size();
        if (end > start) parts.push_back(upper.substr(start, end - start));
        start = end + 1;
    }
    if (parts.empty()) return node;
    for (size_t i = 0; i < parts.size(); ++i) {
        TTreeData* data = NodeData(node);
        if (data && !data->Loaded) EnsureSubKeysLoaded(node);
        // An address is text in the code page, where a name the code page
        // cannot hold reads like another one: prefer the name it holds exactly.
        TTreeNode found;
        for (TTreeNode c = node.FirstChild(); c; c = c.NextSibling()) {
            TTreeData* cd = NodeData(c);
            if (!cd || cd->KeyName != parts[i]) continue;
            if (!found) found = c;
            if (FitsCodePage(cd->WideName)) {
                found = c;
                break;
            }
        }
        if (!found) return {};
        node = found;
    }
    return node;
}

void TfrmMain::RefreshNode(TTreeNode node) {
    THourGlass wait;
    try {
        const bool wasExpanded = node.Expanded();
        if (TTreeData* data = NodeData(node)) data->Loaded = false;
        node.Collapse(false);
        node.DeleteChildren();
        EnsureSubKeysLoaded(node);
        if (wasExpanded) node.Expand(false);
    } catch (...) {
        // The tree keeps what was built.
    }
}

void TfrmMain::trvwKeysClick(TObject*) {
    if (!FMenuStateInitialised) {
        UpdateMenuState(kKeyItems | kValueItems);
        FMenuStateInitialised = true;
    }
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (!node || !data) return;
    ClearValueList();
    LoadValues(node);
    ShowNodeLongName(node);
    AddAddressHistory(ToWide(RootKeyToName(data->RootKey)) + L":" + GetNodeKeyPath(node));
}

void TfrmMain::trvwKeysKeyUp(TObject* sender, WORD& key, UINT) {
    if (key >= VK_PRIOR && key <= VK_DOWN) trvwKeysClick(sender);
}

void TfrmMain::trvwKeysExpanding(TObject*, TTreeNode node, bool& allowExpansion) {
    if (!NodeData(node)) {
        allowExpansion = false;
        return;
    }
    THourGlass wait;
    try {
        EnsureSubKeysLoaded(node);
        node.Select();
    } catch (...) {
        // The tree keeps what was built.
    }
    allowExpansion = true;
}

void TfrmMain::trvwKeysExpanded(TObject*, TTreeNode) { UpdateMenuState(kKeyItems); }

bool TfrmMain::trvwKeysHasChildren(TTreeNode node) {
    TTreeData* data = NodeData(node);
    if (!data) return false;
    if (data->Loaded) return static_cast<bool>(node.FirstChild());
    if (data->SubKeyCount < 0) {
        // Only the subkey count is wanted: one plain call.
        TRegKey key;
        DWORD count = 0;
        const bool read = key.Open(data->RootKey, GetNodeKeyPath(node), KEY_QUERY_VALUE) == ERROR_SUCCESS &&
                          ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        data->SubKeyCount = read ? static_cast<int>(count) : 0;
    }
    return data->SubKeyCount > 0;
}

void TfrmMain::trvwKeysEditing(TObject*, TTreeNode node, bool& allowEdit) {
    TTreeData* data = NodeData(node);
    allowEdit = !(data && data->KeyName.empty() && !node.Parent());
}

void TfrmMain::mnitmRefreshClick(TObject* sender) {
    TTreeNode node = trvwKeys.Selected();
    if (!node || !NodeData(node)) return;
    RefreshNode(node);
    trvwKeysClick(sender);
}

void TfrmMain::mnitmRefreshAllClick(TObject*) {
    ClearValueList();
    LoadRootKeys();
}

// ---- Value list, address history and menu states ---------------------------

void TfrmMain::ClearValueList() { lstvwValues.Clear(); }  // each item's data goes with it

TViewData* TfrmMain::ItemData(TListItem item) { return dynamic_cast<TViewData*>(item.Data()); }

TValueRow DescribeValue(const std::wstring& name, DWORD regType, const unsigned char* data, size_t size,
                        TViewData& view) {
    TValueRow row;
    view.WideName = name;
    view.ValueName = ToAnsi(name);
    row.Caption = name.empty() ? "<Unknow Name>" : view.ValueName;
    const bool text = regType == REG_SZ || regType == REG_EXPAND_SZ || regType == REG_MULTI_SZ;
    row.Size = std::to_string(text ? AnsiStringSize(data, size) : size);
    switch (regType) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            view.DataType = regType == REG_SZ ? vkString : vkExpandString;
            view.StoredData.assign(data, data + size);
            std::wstring shown(size / sizeof(wchar_t), L'\0');
            if (!shown.empty()) std::memcpy(&shown[0], data, shown.size() * sizeof(wchar_t));
            shown.resize(wcsnlen(shown.c_str(), shown.size()));
            view.DataText = ToAnsi(shown);
            row.ImageIndex = iiString;
            row.Data = "\"" + view.DataText + "\"";
            row.WideData = L"\"" + shown + L"\"";
            break;
        }
        case REG_DWORD: {
            view.DataType = vkDword;
            DWORD v = 0;
            std::memcpy(&v, data, std::min<size_t>(size, sizeof v));  // a short DWORD reads as zero-padded
            view.DwordValue = v;
            view.DataText = std::to_string(static_cast<unsigned long>(v));
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(v));
            row.ImageIndex = iiDword;
            row.Data = std::string(hex) + " (" + view.DataText + ")";
            break;
        }
        case REG_BINARY:
            view.DataType = vkBinary;
            row.ImageIndex = iiBinary;
            if (size > 0) {
                view.DataText = BytesToHex(data, static_cast<int>(size));
                view.TextView = BytesToText(data, static_cast<int>(size));
                row.Data = view.DataText.substr(0, 64);
            }
            break;
        default:
            view.DataType = vkOther;
            row.ImageIndex = iiString;
            row.Data = "Unknow Value";
            break;
    }
    return row;
}

std::string ShownName(const std::wstring& name) {
    if (name.empty()) return std::string();
    const int size = static_cast<int>(name.size());
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), size, &text[0], n, "?", nullptr);
    return text;
}

size_t AnsiStringSize(const unsigned char* data, size_t size) {
    const int chars = static_cast<int>(size / sizeof(WCHAR));
    const auto* text = reinterpret_cast<const WCHAR*>(data);
    const int n = chars ? ::WideCharToMultiByte(CP_ACP, 0, text, chars, nullptr, 0, nullptr, nullptr) : 0;
    // An odd last byte has no character of its own; it stays a byte.
    return static_cast<size_t>(n) + size % sizeof(WCHAR);
}

void TfrmMain::LoadValues(TTreeNode node) {
    TTreeData* nodeData = NodeData(node);
    if (!nodeData) return;
    const std::wstring path = GetNodeKeyPath(node);
    FRegistry.SetRootKey(nodeData->RootKey);
    sttsbrMain.SetPanelText(1, std::string());
    if (!FRegistry.OpenKeyReadOnly(path)) {
        // There, but closed to this user: the list is empty for that reason.
        TRegKey key;
        if (key.Open(nodeData->RootKey, path, KEY_READ) == ERROR_ACCESS_DENIED)
            sttsbrMain.SetPanelText(1, msgKeyAccessDenied);
        return;
    }
    // One pass over the key reads each value's name, type and data together,
    // so a value removed by another program meanwhile is simply not listed,
    // and data that grew since the key information is read whole.
    TValueEnum values(FRegistry.CurrentKey());
    std::vector<TListItemSpec> rows;
    if (values.Ok()) {
        const std::string upperPath = UpperCaseAscii(ToAnsi(path));
        rows.reserve(values.Count());
        for (DWORD i = 0; i < values.Count(); ++i) {
            if (values.Read(i) != ERROR_SUCCESS) continue;
            auto* view = new TViewData();
            view->RootKey = nodeData->RootKey;
            view->KeyPath = upperPath;
            view->WideKeyPath = path;
            TValueRow row = DescribeValue(values.NameText(), values.Type(), values.Data(), values.Size(), *view);
            TListItemSpec spec;
            spec.Caption = std::move(row.Caption);
            if (!FitsCodePage(view->WideName)) spec.WideCaption = view->WideName;
            spec.SubItems = {std::move(row.Size), std::move(row.Data)};
            if (!row.WideData.empty()) spec.WideSubItems = {std::wstring(), std::move(row.WideData)};
            spec.ImageIndex = row.ImageIndex;
            spec.Data = view;
            rows.push_back(std::move(spec));
        }
    }
    FRegistry.CloseKey();
    lstvwValues.AddMany(std::move(rows));
}

void TfrmMain::RefreshNodeLater(TTreeNode node) {
    // Kept by its key, not its item: the tree may change before the message comes.
    TTreeData* data = NodeData(node);
    if (!data) return;
    FRefreshRoot = data->RootKey;
    FRefreshPath = GetNodeKeyPath(node);
    ::PostMessageA(Handle, kRefreshNode, 0, 0);
}

INT_PTR TfrmMain::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    if (msg != kRefreshNode) return TForm::WindowMessage(msg, wp, lp, handled);
    handled = true;
    const int index = RootKeyIndex(FRefreshRoot);
    TTreeNode node = index < 0 ? TTreeNode() : FRootNodes.at(static_cast<size_t>(index));
    size_t start = 0;
    while (node && start < FRefreshPath.size()) {
        size_t end = FRefreshPath.find(L'\\', start);
        if (end == std::wstring::npos) end = FRefreshPath.size();
        const std::wstring name = FRefreshPath.substr(start, end - start);
        TTreeNode next;
        for (TTreeNode c = node.FirstChild(); c && !next; c = c.NextSibling())
            if (TTreeData* cd = NodeData(c)) next = cd->WideName == name ? c : next;
        node = next;
        start = end + 1;
    }
    FRefreshRoot = nullptr;
    if (node) {
        RefreshNode(node);
        if (node.Selected()) trvwKeysClick(this);
    }
    return 0;
}

void TfrmMain::lstvwValuesResize(TObject*) {
    const int rest = pnlValues.Width() - lstvwValues.ColumnWidth(0) - lstvwValues.ColumnWidth(1);
    lstvwValues.SetColumnWidth(2, rest);
}

