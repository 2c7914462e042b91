#include "LanguageTexts.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr TTextGroup S = TTextGroup::Shared, M = TTextGroup::Main, F = TTextGroup::Field,
                     T = TTextGroup::Title, C = TTextGroup::Component;

const TLanguageText kTexts[] = {
    // Button captions that the dialogs share.
    {"Ok.Caption", "&OK", S},
    {"Yes.Caption", "&YES", S},
    {"Cancel.Caption", "&Cancel", S},
    {"No.Caption", "&NO", S},
    {"Find.Caption", "&Find", S},
    {"Replace.Caption", "&Replace", S},
    {"ReplaceAll.Caption", "Replace &All", S},
    {"All.Caption", "&ALL", S},
    {"SaveToFile.Caption", "&Save to file", S},
    {"LoadFromFile.Caption", "&Load from file", S},
    {"Print.Caption", "&Print", S},
    {"SaveToImage.Caption", "&Save to Image file", S},
    {"LoadFromImage.Caption", "&Load from Image file", S},
    {"YesToAll.Caption", "Yes To &All", S},
    {"NoToAll.Caption", "No &To All", S},

    // Words and messages of the main window.
    {"sKeyName", "key", M},
    {"sVallueName", "value", M},
    {"sDataName", "data", M},
    {"sMaxLengthName", "max length", M},
    {"sLengthName", "length", M},
    {"sByteName", "byte", M},
    {"sBytesName", "bytes", M},
    {"msgAccessRegistryError", "Access registry database error!", M},
    {"msgWithoutKey", "Your registry without Key:", M},
    {"msgReplaceKeyNameFailed", "Replace key name failed!", M},
    {"msgCopyKeyError", "Copy key error!", M},
    {"msgDeleteKeyError", "Delete key failed!", M},
    {"msgInvalidKeyName", "Invalid key name!", M},
    {"msgRenameFailed", "Rename failed!", M},
    {"msgSureToRenameFrom", "Sure to rename:", M},
    {"msgSureToChangeFrom", "Sure to change:", M},
    {"msgCanNotRenameItTo", "Can not rename it to:", M},
    {"msgCanNotRenameFrom", "Can not rename:", M},
    {"msgRenameTo", "to:", M},
    {"msgChangeTo", "to:", M},
    {"msgHaveSubkeyInSameName", "There is a subkey named:", M},
    {"msgCreatekeyFailed", "Create new key failed!", M},
    {"msgCreateValueFailed", "Create value failed!", M},
    {"msgNoneCurrentKey", "None current key!", M},
    {"msgFindActionFinish", "Find finished!", M},
    {"msgReplaceActionFinish", "Replace finished!", M},
    {"msgReplaceActionCanceled", "Replace cancel!", M},
    {"msgNotFound", "Not found!", M},
    {"msgImportSuccess", "Import success!", M},
    {"msgUnknowRegistryFileVersion", "Registry file version unknow,could not import it into Registry!", M},
    {"msgErrorHappenWhenImport", "Error beget when import it into Registry,all right information have been import!", M},
    {"msgFileNotExit", "File not exists!", M},
    {"msgSureToImportFile", "Sure to import file into your Registry:", M},
    {"msgContinueToReplaceAllSameItems", "continue to replace all same items?", M},
    {"msgDeleteQuery", "This action will delete all subkeys in this key,will you delete any way?", M},
    {"msgDeleteSelectValueQuery", "Sure to delete selected item?", M},
    {"msgDeleteAllSelectValueQuery", "Sure to delete all selected items?", M},
    {"msgValueNamed", "the value named:", M},
    {"msgValueExiststAndReplaceQuery", "have one in this key,Sure to replace it?", M},
    {"msgLargeFileQuery", "File size is large,do you continue to load it?", M},
    {"msgExportLeftOut", "These keys and values hold names or data that this file can not hold; they were left out:", M},
    {"msgFavoritesNotSaved", "The favorites could not be saved.", M},
    {"msgKeyNotWritable", "This key can not be written:", M},
    {"msgValuesNotCopied", "These values could not be copied:", M},

    // Message and caption fields of the other windows.
    {"frmBin.smsgUnknownImageFormat", "Unknow Image format!", F},
    {"frmFavorites.sHideListCaption", "&Hide Favorites List", F},
    {"frmFavorites.sShowListCaption", "&Show Favorites List", F},
    {"frmFavorites.smsgInvalidCharHead", "There is a invlid chararcter ", F},
    {"frmFavorites.smsgInvalidCharBottom", " in it,please check it!", F},
    {"frmFavorites.smsgHaveFavoritesNameHead", "There have a favorites setting with name:", F},
    {"frmFavorites.smsgHaveFavoritesNameBottom", "Sure you to replace it?", F},
    {"frmKeyContent.sReadonlyCaption", "Set to &Readonly", F},
    {"frmKeyContent.sCancelReadonlyCaption", "Cancel &Readonly", F},
    {"frmKeyContent.smsgReplaceVersionQuery", "There is a Registry file version information in content,will you replace it?", F},
    {"frmKeyContent.sPositionName", "Position", F},
    {"frmKeyContent.smsgCloseAfterChangeSaveQuery", "Content had been changed,will you save it?", F},
    {"frmKeyContent.sLinesName", "Lines:", F},
    {"frmKeyContent.sSizeName", "Size:", F},
    {"frmKeyContent.smsgClearQuery", "This operate will clear all text,sure to continue?", F},
    {"frmKeyContent.smsgReplaceBroken", "Replace be broken!", F},
    {"frmKeyContent.smsgReplaceFinish", "Replace finished!", F},
    {"frmKeyContent.smsgQueryAddVersion", "There are none registry version info,will you set one then continue?", F},
    {"frmKeyContent.smsgQueryImport", "Sure to import this information into Registry?", F},
    {"frmKeyContent.smsgImportError", "Error beget when import it into Registry!", F},
    {"frmKeyContent.smsgUnknownRegistryFileVersion", "Registry file version unknow,could not import it into Registry!", F},

    // Window titles.
    {"frmAbout.Caption", "About...", T},
    {"frmBin.Caption", "Binary Editer", T},
    {"frmBinFind.Caption", "Find", T},
    {"frmCurrentKey.Caption", "Current Key", T},
    {"frmDword.Caption", "Dword Editer", T},
    {"frmFavorites.Caption", "Favorites", T},
    {"frmFind.Caption", "Find", T},
    {"frmFinding.Caption", "Finding...", T},
    {"frmGoTo.Caption", "Go To...", T},
    {"frmKeyContent.Caption", "Key Content Editer", T},
    {"frmReplace.Caption", "Replace", T},
    {"frmReplaceConfirm.Caption", "Confirm", T},
    {"frmStr.Caption", "String Editer", T},
    {"frmValueReplaceConfirm.Caption", "Confirm", T},

    // The main window's components.
    {"frmMain.tlbrExportRegistryKey.Hint", "Export current key content", C},
    {"frmMain.tlbrExportAllKey.Hint", "Export all key content in Registry", C},
    {"frmMain.tlbrImport.Hint", "Import key content from file", C},
    {"frmMain.tlbrmEditRegFile.Hint", "Open a reg file to edit", C},
    {"frmMain.tlbrFind.Hint", "Find string or dword from registry", C},
    {"frmMain.tlbrRefresh.Hint", "Refresh current key", C},
    {"frmMain.tlbrGoTo.Hint", "Goto special key", C},
    {"frmMain.tlbrFavoritesAdd.Hint", "Add current key to Favorites", C},
    {"frmMain.tlbrKeyContent.Hint", "View or Edit current key's content", C},
    {"frmMain.tlbrRegEditNotepad.Hint", "Open key content editer", C},
    {"frmMain.tlbrHexEditer.Hint", "Open Hex Editer", C},
    {"frmMain.tlbrHomepage.Hint", "Goto homepage", C},
    {"frmMain.tlbrEmail.Hint", "Email to us", C},
    {"frmMain.tlbrHelpContent.Hint", "Help content", C},
    {"frmMain.tlbrExit.Hint", "Exit", C},
    {"frmMain.mnitmRegistry.Caption", "&Registry", C},
    {"frmMain.mnitmExportRegistryKey.Caption", "&Export Current Key", C},
    {"frmMain.mnitmExportAllKey.Caption", "Export &All Keys", C},
    {"frmMain.mnitmImport.Caption", "&Import", C},
    {"frmMain.mnitmEditRegFile.Caption", "Edit &Reg file", C},
    {"frmMain.mnitmPrintKeyContent.Caption", "&Print Key Content", C},
    {"frmMain.mnitmExit.Caption", "E&xit", C},
    {"frmMain.mnitmControl.Caption", "&Control", C},
    {"frmMain.mnitmRefresh.Caption", "&Refresh", C},
    {"frmMain.mnitmRefreshAll.Caption", "Refresh &All", C},
    {"frmMain.mnitmGoTo.Caption", "&Go To", C},
    {"frmMain.mnitmGoToLast.Caption", "Go To &Last", C},
    {"frmMain.mnitmEdit.Caption", "&Edit", C},
    {"frmMain.mnitmNew.Caption", "&New", C},
    {"frmMain.mnitmNewKey.Caption", "&Key", C},
    {"frmMain.mnitmNewDwordValue.Caption", "&DWORD value", C},
    {"frmMain.mnitmNewStringValue.Caption", "&String value", C},
    {"frmMain.mnitmNewBinaryValue.Caption", "&Binary value", C},
    {"frmMain.mnitmKey.Caption", "&Key", C},
    {"frmMain.mnitmKeyCopy.Caption", "&Copy Key", C},
    {"frmMain.mnitmKeyPaste.Caption", "&Paste Key", C},
    {"frmMain.mnitmKeyRename.Caption", "&Rename", C},
    {"frmMain.mnitmKeyDel.Caption", "&Del", C},
    {"frmMain.mnitmValue.Caption", "&Value", C},
    {"frmMain.mnitmValueEdit.Caption", "&Edit", C},
    {"frmMain.mnitmValueCopy.Caption", "C&opy Values", C},
    {"frmMain.mnitmValuePaste.Caption", "P&aste Values", C},
    {"frmMain.mnitmValueRename.Caption", "&Rename", C},
    {"frmMain.mnitmValueDel.Caption", "&Del", C},
    {"frmMain.mnitmValueSelectAll.Caption", "Select &All", C},
    {"frmMain.mnitmFind.Caption", "&Find", C},
    {"frmMain.mnitmFindNext.Caption", "Find &Next", C},
    {"frmMain.mnitmReplace.Caption", "&Replace", C},
    {"frmMain.mnitmView.Caption", "&View", C},
    {"frmMain.mnitmKeyCurrent.Caption", "Current &Key", C},
    {"frmMain.mnitmKeyContent.Caption", "Key &Content", C},
    {"frmMain.mnitmTool.Caption", "&Tool", C},
    {"frmMain.mnitmHexEditer.Caption", "&Hex Editer", C},
    {"frmMain.mnitmRegEditNotepad.Caption", "&Reg key content Editer", C},
    {"frmMain.mnitmFavorites.Caption", "&Favorites", C},
    {"frmMain.mnitmFavoritesAdd.Caption", "&Add to Favorites", C},
    {"frmMain.mnitmFavoritesManage.Caption", "&Manage", C},
    {"frmMain.mnitmLanguage.Caption", "&Language", C},
    {"frmMain.mnitmLanguageDefaule.Caption", "&Defaule", C},
    {"frmMain.mnitmHelp.Caption", "&Help", C},
    {"frmMain.mnitmHelpContent.Caption", "&Content", C},
    {"frmMain.mnitmHomepage.Caption", "&Homepage", C},
    {"frmMain.mnitmSuggestorQuestion.Caption", "&Suggest or Question", C},
    {"frmMain.mnitmAbout.Caption", "&About...", C},
    {"frmMain.pnlAddress.Caption", "Address:", C},
    {"frmMain.pnlGo.Caption", "Go", C},
    {"frmMain.pnlRoot.Caption", "Root", C},
    {"frmMain.ColumnName.Caption", "Name", C},
    {"frmMain.ColumnSize.Caption", "Size", C},
    {"frmMain.ColumnData.Caption", "Data", C},

    // The binary editor and its find dialog.
    {"frmBin.tbstMain.Main", "Main", C},
    {"frmBin.tbstMain.ViewAsImage", "View As Image", C},
    {"frmBin.lblName.Caption", "Name:", C},
    {"frmBin.lblData.Caption", "Data:", C},
    {"frmBin.pppmnHexValueCut.Caption", "&Cut", C},
    {"frmBin.pppmnHexValueCopy.Caption", "C&opy", C},
    {"frmBin.pppmnHexValuePaste.Caption", "&Paste", C},
    {"frmBin.pppmnitmHexValuePrint.Caption", "P&rint", C},
    {"frmBin.pppmnitmHexValueFind.Caption", "&Find", C},
    {"frmBin.pppmnitmHexValueFindNext.Caption", "Find &Next", C},
    {"frmBin.pppmnHexValueDelete.Caption", "&Delete", C},
    {"frmBinFind.lblText.Caption", "Text:", C},
    {"frmBinFind.lblHex.Caption", "Hex:", C},

    // The current key, DWORD and favourites dialogs.
    {"frmCurrentKey.lblShortName.Caption", "Key short name:", C},
    {"frmCurrentKey.lblLongName.Caption", "Key long name:", C},
    {"frmDword.lblName.Caption", "Name:", C},
    {"frmDword.lblData.Caption", "Data:", C},
    {"frmDword.rdgrpDataType.Caption", "Data type", C},
    {"frmDword.rdgrpDataType.Dec", "Dec", C},
    {"frmDword.rdgrpDataType.Hex", "Hex", C},
    {"frmFavorites.lblName.Caption", "Favorites Name:", C},
    {"frmFavorites.lblFavoritesList.Caption", "Favorites List:", C},
    {"frmFavorites.btnAdd.Caption", "&Add", C},

    // Find, progress and go to.
    {"frmFind.lblFindItem.Caption", "Find Item:", C},
    {"frmFind.grpbxView.Caption", "Confines", C},
    {"frmFind.grpbxDataType.Caption", "Data type", C},
    {"frmFind.rdgrpCondition.Caption", "&Options", C},
    {"frmFind.rdgrpCondition.SpecialKey", "Search in special keys", C},
    {"frmFind.rdgrpCondition.AllKey", "Search in all keys", C},
    {"frmFind.chckbxKey.Caption", "&Key", C},
    {"frmFind.chckbxValue.Caption", "&Value", C},
    {"frmFind.chckbxData.Caption", "&Data", C},
    {"frmFind.chckbxWildCharSurport.Caption", "Wild char su&rport", C},
    {"frmFind.chckbxWholeWordsOnly.Caption", "Whole words &only", C},
    {"frmFind.chckbxDataString.Caption", "&String", C},
    {"frmFind.chckbxDataDword.Caption", "D&word(Dec)", C},
    {"frmFinding.lblFinding.Caption", "Finding...", C},
    {"frmFinding.lblPleaseWait.Caption", "Please wait", C},
    {"frmGoTo.rdgrpHKey.Caption", "&Key Root", C},
    {"frmGoTo.lblKey.Caption", "Key:", C},
    {"frmGoTo.btnOk.Caption", "&Go", C},

    // The key content editor.
    {"frmKeyContent.mnitmFile.Caption", "&File", C},
    {"frmKeyContent.mnitmSaveToFile.Caption", "&Save to file", C},
    {"frmKeyContent.mnitmLoadFromFile.Caption", "&Load from file", C},
    {"frmKeyContent.mnitmImportIntoRegistry.Caption", "&Import into Registry", C},
    {"frmKeyContent.mnitmPrint.Caption", "&Print", C},
    {"frmKeyContent.mnitmClose.Caption", "&Close", C},
    {"frmKeyContent.mnitmEdit.Caption", "&Edit", C},
    {"frmKeyContent.mnitmUndo.Caption", "&Undo", C},
    {"frmKeyContent.mnitmCut.Caption", "&Cut", C},
    {"frmKeyContent.mnitmCopy.Caption", "C&opy", C},
    {"frmKeyContent.mnitmPaste.Caption", "&Paste", C},
    {"frmKeyContent.mnitmDelete.Caption", "&Delete", C},
    {"frmKeyContent.mnitmClear.Caption", "C&lear", C},
    {"frmKeyContent.mnitmSelectAll.Caption", "Select &All", C},
    {"frmKeyContent.mnitmControl.Caption", "&Control", C},
    {"frmKeyContent.mnitmRegistryVersionInfo.Caption", "Registry &Version Info", C},
    {"frmKeyContent.mnFind.Caption", "&Find", C},
    {"frmKeyContent.mnitmFind.Caption", "&Find", C},
    {"frmKeyContent.mnitmFindNext.Caption", "Find &Next", C},
    {"frmKeyContent.mnitmReplace.Caption", "&Replace", C},

    // Replace and its confirmations.
    {"frmReplace.lblTestToFind.Caption", "Text to find:", C},
    {"frmReplace.lblReplaceWith.Caption", "Replace with:", C},
    {"frmReplace.grpbxReplaceItem.Caption", "Replace item", C},
    {"frmReplaceConfirm.lblFoundItemAt.Caption", "Found Item At:", C},
    {"frmValueReplaceConfirm.lblInfo.Caption", "Replace this occurrence?", C},
};

constexpr std::size_t kCount = sizeof kTexts / sizeof kTexts[0];

// Sections of the shipped file, in file order; [ANSI] holds the texts.
const char* const kSections[] = {"SYMBOL", "MAC",   "SHIFTJIS", "HANGEUL", "JOHAB",  "ANSI",  "GB2312",
                                 "CHINESEBIG5", "GREEK", "TURKISH", "VIETNAMESE", "HEBREW", "ARABIC", "BALTIC",
                                 "RUSSIAN", "THAI", "EASTEUROPE", "OEM"};

}  // namespace

const TLanguageText* LanguageTexts() { return kTexts; }
std::size_t LanguageTextCount() { return kCount; }

std::size_t LanguageTextIndex(const std::string& key) {
    for (std::size_t i = 0; i < kCount; ++i)
        if (key == kTexts[i].Key) return i;
    return kCount;
}

const char* LanguageDefault(const std::string& key) {
    const std::size_t i = LanguageTextIndex(key);
    if (i == kCount) throw std::out_of_range("No language text " + key);
    return kTexts[i].Default;
}

std::string ShippedLanguageFile() {
    std::string text = "[Tessmorel Language Setting]\r\nEnglish=\"ANSI\"\r\n";
    for (const char* section : kSections) {
        text += "\r\n[";
        text += section;
        text += "]\r\n";
        if (std::strcmp(section, "ANSI") != 0) continue;
        for (std::size_t i = 0; i < kCount; ++i) {
            if (i > 0 && kTexts[i].Group != kTexts[i - 1].Group) text += "\r\n";
            text += kTexts[i].Key;
            text += "=\"";
            text += kTexts[i].Default;
            text += "\"\r\n";
        }
    }
    return text;
}
