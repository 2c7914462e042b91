#include "LanguageTexts.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr TTextGroup S = TTextGroup::Shared, M = TTextGroup::Main, F = TTextGroup::Field,
                     T = TTextGroup::Title, C = TTextGroup::Component;

const TLanguageText kTexts[] = {
    // Button captions that the dialogs share.
    {"Ok.Caption", "&OK", "确定(&O)", S},
    {"Yes.Caption", "&YES", "是(&Y)", S},
    {"Cancel.Caption", "&Cancel", "取消(&C)", S},
    {"No.Caption", "&NO", "否(&N)", S},
    {"Find.Caption", "&Find", "查找(&F)", S},
    {"Replace.Caption", "&Replace", "替换(&R)", S},
    {"ReplaceAll.Caption", "Replace &All", "全部替换(&A)", S},
    {"All.Caption", "&ALL", "全部(&A)", S},
    {"SaveToFile.Caption", "&Save to file", "保存到文件(&S)", S},
    {"LoadFromFile.Caption", "&Load from file", "从文件载入(&L)", S},
    {"Print.Caption", "&Print", "打印(&P)", S},
    {"SaveToImage.Caption", "&Save to Image file", "保存为图像文件(&S)", S},
    {"LoadFromImage.Caption", "&Load from Image file", "从图像文件载入(&L)", S},
    {"YesToAll.Caption", "Yes To &All", "全部是(&A)", S},
    {"NoToAll.Caption", "No &To All", "全部否(&T)", S},

    // Words and messages of the main window.
    {"sKeyName", "key", "键", M},
    {"sVallueName", "value", "值", M},
    {"sDataName", "data", "数据", M},
    {"sMaxLengthName", "max length", "最大长度", M},
    {"sLengthName", "length", "长度", M},
    {"sByteName", "byte", "字节", M},
    {"sBytesName", "bytes", "字节", M},
    {"msgAccessRegistryError", "Access registry database error!", "访问注册表数据库出错！", M},
    {"msgWithoutKey", "Your registry without Key:", "注册表中没有此键:", M},
    {"msgReplaceKeyNameFailed", "Replace key name failed!", "替换键名失败！", M},
    {"msgCopyKeyError", "Copy key error!", "复制键出错！", M},
    {"msgDeleteKeyError", "Delete key failed!", "删除键失败！", M},
    {"msgInvalidKeyName", "Invalid key name!", "无效的键名！", M},
    {"msgRenameFailed", "Rename failed!", "重命名失败！", M},
    {"msgSureToRenameFrom", "Sure to rename:", "确实要重命名:", M},
    {"msgSureToChangeFrom", "Sure to change:", "确实要更改:", M},
    {"msgCanNotRenameItTo", "Can not rename it to:", "无法将其重命名为:", M},
    {"msgCanNotRenameFrom", "Can not rename:", "无法重命名:", M},
    {"msgRenameTo", "to:", "为:", M},
    {"msgChangeTo", "to:", "改为:", M},
    {"msgHaveSubkeyInSameName", "There is a subkey named:", "已有同名的子键:", M},
    {"msgCreatekeyFailed", "Create new key failed!", "新建键失败！", M},
    {"msgCreateValueFailed", "Create value failed!", "新建值失败！", M},
    {"msgNoneCurrentKey", "None current key!", "没有当前键！", M},
    {"msgFindActionFinish", "Find finished!", "查找完毕！", M},
    {"msgReplaceActionFinish", "Replace finished!", "替换完毕！", M},
    {"msgReplaceActionCanceled", "Replace cancel!", "替换已取消！", M},
    {"msgNotFound", "Not found!", "未找到！", M},
    {"msgImportSuccess", "Import success!", "导入成功！", M},
    {"msgUnknowRegistryFileVersion", "Registry file version unknow,could not import it into Registry!", "未知的注册表文件版本，无法将其导入注册表！", M},
    {"msgErrorHappenWhenImport", "Error beget when import it into Registry,all right information have been import!", "导入注册表时出错，所有正确的信息均已导入！", M},
    {"msgFileNotExit", "File not exists!", "文件不存在！", M},
    {"msgSureToImportFile", "Sure to import file into your Registry:", "确实要将文件导入注册表:", M},
    {"msgContinueToReplaceAllSameItems", "continue to replace all same items?", "继续替换所有相同的项吗？", M},
    {"msgDeleteQuery", "This action will delete all subkeys in this key,will you delete any way?", "此操作将删除此键中的所有子键，仍要删除吗？", M},
    {"msgDeleteSelectValueQuery", "Sure to delete selected item?", "确实要删除所选项吗？", M},
    {"msgDeleteAllSelectValueQuery", "Sure to delete all selected items?", "确实要删除所有选定的项吗？", M},
    {"msgValueNamed", "the value named:", "值:", M},
    {"msgValueExiststAndReplaceQuery", "have one in this key,Sure to replace it?", "在此键中已存在，确实要替换它吗？", M},
    {"msgLargeFileQuery", "File size is large,do you continue to load it?", "文件很大，仍要载入吗？", M},
    {"msgExportLeftOut", "These keys and values hold names or data that this file can not hold; they were left out:", "以下键和值的名称或数据无法写入此文件，已被略过:", M},
    {"msgFavoritesNotSaved", "The favorites could not be saved.", "无法保存收藏夹。", M},
    {"msgKeyNotWritable", "This key can not be written:", "无法写入此键:", M},
    {"msgReplacedCount", "Replaced:", "已替换:", M},
    {"msgNotReplacedCount", "Could not be replaced:", "无法替换:", M},
    {"msgKeyAccessDenied", "Access denied: this key can not be read.", "拒绝访问: 无法读取此键。", M},
    {"msgFavoriteNameNotKept", "The favorites file can not hold the name of this key, so it was not added:", "收藏夹文件无法保存此键的名称，因此未添加:", M},
    {"msgValuesNotCopied", "These values could not be copied:", "无法复制以下值:", M},
    {"msgTextNotKept", "This text holds characters that a file in this system's code page can not hold, so nothing was written:", "此文本含有本系统代码页的文件无法保存的字符，因此未写入任何内容:", M},
    {"msgFavoritesMenuFull", "The Favorites menu is full. Favorites kept but not shown in it:", "收藏夹菜单已满。已保留但未在菜单中显示的收藏:", M},

    // Message and caption fields of the other windows.
    {"frmBin.smsgUnknownImageFormat", "Unknow Image format!", "未知的图像格式！", F},
    {"frmFavorites.sHideListCaption", "&Hide Favorites List", "隐藏收藏夹列表(&H)", F},
    {"frmFavorites.sShowListCaption", "&Show Favorites List", "显示收藏夹列表(&S)", F},
    {"frmFavorites.smsgInvalidCharHead", "There is a invlid chararcter ", "其中含有无效字符 ", F},
    {"frmFavorites.smsgInvalidCharBottom", " in it,please check it!", " ，请检查！", F},
    {"frmFavorites.smsgHaveFavoritesNameHead", "There have a favorites setting with name:", "已有同名的收藏夹项:", F},
    {"frmFavorites.smsgHaveFavoritesNameBottom", "Sure you to replace it?", "确实要替换它吗？", F},
    {"frmKeyContent.sReadonlyCaption", "Set to &Readonly", "设为只读(&R)", F},
    {"frmKeyContent.sCancelReadonlyCaption", "Cancel &Readonly", "取消只读(&R)", F},
    {"frmKeyContent.smsgReplaceVersionQuery", "There is a Registry file version information in content,will you replace it?", "内容中已有注册表文件版本信息，要替换它吗？", F},
    {"frmKeyContent.sPositionName", "Position", "位置", F},
    {"frmKeyContent.smsgCloseAfterChangeSaveQuery", "Content had been changed,will you save it?", "内容已更改，要保存吗？", F},
    {"frmKeyContent.sLinesName", "Lines:", "行数:", F},
    {"frmKeyContent.sSizeName", "Size:", "大小:", F},
    {"frmKeyContent.smsgClearQuery", "This operate will clear all text,sure to continue?", "此操作将清除全部文本，确实要继续吗？", F},
    {"frmKeyContent.smsgReplaceBroken", "Replace be broken!", "替换被中断！", F},
    {"frmKeyContent.smsgReplaceFinish", "Replace finished!", "替换完毕！", F},
    {"frmKeyContent.smsgQueryAddVersion", "There are none registry version info,will you set one then continue?", "没有注册表版本信息，要先设置版本再继续吗？", F},
    {"frmKeyContent.smsgQueryImport", "Sure to import this information into Registry?", "确实要将这些信息导入注册表吗？", F},
    {"frmKeyContent.smsgImportError", "Error beget when import it into Registry!", "导入注册表时出错！", F},
    {"frmKeyContent.smsgUnknownRegistryFileVersion", "Registry file version unknow,could not import it into Registry!", "未知的注册表文件版本，无法将其导入注册表！", F},

    // Window titles.
    {"frmAbout.Caption", "About...", "关于...", T},
    {"frmBin.Caption", "Binary Editer", "二进制编辑器", T},
    {"frmBinFind.Caption", "Find", "查找", T},
    {"frmCurrentKey.Caption", "Current Key", "当前键", T},
    {"frmDword.Caption", "Dword Editer", "DWORD 编辑器", T},
    {"frmFavorites.Caption", "Favorites", "收藏夹", T},
    {"frmFind.Caption", "Find", "查找", T},
    {"frmFinding.Caption", "Finding...", "正在查找...", T},
    {"frmGoTo.Caption", "Go To...", "转到...", T},
    {"frmKeyContent.Caption", "Key Content Editer", "键内容编辑器", T},
    {"frmReplace.Caption", "Replace", "替换", T},
    {"frmReplaceConfirm.Caption", "Confirm", "确认", T},
    {"frmStr.Caption", "String Editer", "字符串编辑器", T},
    {"frmValueReplaceConfirm.Caption", "Confirm", "确认", T},

    // The main window's components.
    {"frmMain.tlbrExportRegistryKey.Hint", "Export current key content", "导出当前键的内容", C},
    {"frmMain.tlbrExportAllKey.Hint", "Export all key content in Registry", "导出注册表中所有键的内容", C},
    {"frmMain.tlbrImport.Hint", "Import key content from file", "从文件导入键的内容", C},
    {"frmMain.tlbrmEditRegFile.Hint", "Open a reg file to edit", "打开注册表文件进行编辑", C},
    {"frmMain.tlbrFind.Hint", "Find string or dword from registry", "在注册表中查找字符串或 DWORD", C},
    {"frmMain.tlbrRefresh.Hint", "Refresh current key", "刷新当前键", C},
    {"frmMain.tlbrGoTo.Hint", "Goto special key", "转到指定的键", C},
    {"frmMain.tlbrFavoritesAdd.Hint", "Add current key to Favorites", "将当前键添加到收藏夹", C},
    {"frmMain.tlbrKeyContent.Hint", "View or Edit current key's content", "查看或编辑当前键的内容", C},
    {"frmMain.tlbrRegEditNotepad.Hint", "Open key content editer", "打开键内容编辑器", C},
    {"frmMain.tlbrHexEditer.Hint", "Open Hex Editer", "打开十六进制编辑器", C},
    {"frmMain.tlbrHomepage.Hint", "Goto homepage", "访问主页", C},
    {"frmMain.tlbrEmail.Hint", "Email to us", "给我们发送电子邮件", C},
    {"frmMain.tlbrHelpContent.Hint", "Help content", "帮助内容", C},
    {"frmMain.tlbrExit.Hint", "Exit", "退出", C},
    {"frmMain.mnitmRegistry.Caption", "&Registry", "注册表(&R)", C},
    {"frmMain.mnitmExportRegistryKey.Caption", "&Export Current Key", "导出当前键(&E)", C},
    {"frmMain.mnitmExportAllKey.Caption", "Export &All Keys", "导出所有键(&A)", C},
    {"frmMain.mnitmImport.Caption", "&Import", "导入(&I)", C},
    {"frmMain.mnitmEditRegFile.Caption", "Edit &Reg file", "编辑注册表文件(&R)", C},
    {"frmMain.mnitmPrintKeyContent.Caption", "&Print Key Content", "打印键内容(&P)", C},
    {"frmMain.mnitmExit.Caption", "E&xit", "退出(&X)", C},
    {"frmMain.mnitmControl.Caption", "&Control", "控制(&C)", C},
    {"frmMain.mnitmRefresh.Caption", "&Refresh", "刷新(&R)", C},
    {"frmMain.mnitmRefreshAll.Caption", "Refresh &All", "全部刷新(&A)", C},
    {"frmMain.mnitmGoTo.Caption", "&Go To", "转到(&G)", C},
    {"frmMain.mnitmGoToLast.Caption", "Go To &Last", "重复上次转到(&L)", C},
    {"frmMain.mnitmEdit.Caption", "&Edit", "编辑(&E)", C},
    {"frmMain.mnitmNew.Caption", "&New", "新建(&N)", C},
    {"frmMain.mnitmNewKey.Caption", "&Key", "键(&K)", C},
    {"frmMain.mnitmNewDwordValue.Caption", "&DWORD value", "DWORD 值(&D)", C},
    {"frmMain.mnitmNewStringValue.Caption", "&String value", "字符串值(&S)", C},
    {"frmMain.mnitmNewBinaryValue.Caption", "&Binary value", "二进制值(&B)", C},
    {"frmMain.mnitmKey.Caption", "&Key", "键(&K)", C},
    {"frmMain.mnitmKeyCopy.Caption", "&Copy Key", "复制键(&C)", C},
    {"frmMain.mnitmKeyPaste.Caption", "&Paste Key", "粘贴键(&P)", C},
    {"frmMain.mnitmKeyRename.Caption", "&Rename", "重命名(&R)", C},
    {"frmMain.mnitmKeyDel.Caption", "&Del", "删除(&D)", C},
    {"frmMain.mnitmValue.Caption", "&Value", "值(&V)", C},
    {"frmMain.mnitmValueEdit.Caption", "&Edit", "编辑(&E)", C},
    {"frmMain.mnitmValueCopy.Caption", "C&opy Values", "复制值(&O)", C},
    {"frmMain.mnitmValuePaste.Caption", "P&aste Values", "粘贴值(&A)", C},
    {"frmMain.mnitmValueRename.Caption", "&Rename", "重命名(&R)", C},
    {"frmMain.mnitmValueDel.Caption", "&Del", "删除(&D)", C},
    {"frmMain.mnitmValueSelectAll.Caption", "Select &All", "全选(&A)", C},
    {"frmMain.mnitmFind.Caption", "&Find", "查找(&F)", C},
    {"frmMain.mnitmFindNext.Caption", "Find &Next", "查找下一个(&N)", C},
    {"frmMain.mnitmReplace.Caption", "&Replace", "替换(&R)", C},
    {"frmMain.mnitmView.Caption", "&View", "查看(&V)", C},
    {"frmMain.mnitmKeyCurrent.Caption", "Current &Key", "当前键(&K)", C},
    {"frmMain.mnitmKeyContent.Caption", "Key &Content", "键内容(&C)", C},
    {"frmMain.mnitmTool.Caption", "&Tool", "工具(&T)", C},
    {"frmMain.mnitmHexEditer.Caption", "&Hex Editer", "十六进制编辑器(&H)", C},
    {"frmMain.mnitmRegEditNotepad.Caption", "&Reg key content Editer", "注册表键内容编辑器(&R)", C},
    {"frmMain.mnitmFavorites.Caption", "&Favorites", "收藏夹(&F)", C},
    {"frmMain.mnitmFavoritesAdd.Caption", "&Add to Favorites", "添加到收藏夹(&A)", C},
    {"frmMain.mnitmFavoritesManage.Caption", "&Manage", "管理(&M)", C},
    {"frmMain.mnitmLanguage.Caption", "&Language", "语言(&L)", C},
    {"frmMain.mnitmLanguageDefaule.Caption", "&Defaule", "默认(&D)", C},
    {"frmMain.mnitmHelp.Caption", "&Help", "帮助(&H)", C},
    {"frmMain.mnitmHelpContent.Caption", "&Content", "内容(&C)", C},
    {"frmMain.mnitmHomepage.Caption", "&Homepage", "主页(&H)", C},
    {"frmMain.mnitmSuggestorQuestion.Caption", "&Suggest or Question", "建议或问题(&S)", C},
    {"frmMain.mnitmAbout.Caption", "&About...", "关于(&A)...", C},
    {"frmMain.pnlAddress.Caption", "Address:", "地址:", C},
    {"frmMain.pnlGo.Caption", "Go", "转到", C},
    {"frmMain.pnlRoot.Caption", "Root", "根键", C},
    {"frmMain.ColumnName.Caption", "Name", "名称", C},
    {"frmMain.ColumnSize.Caption", "Size", "大小", C},
    {"frmMain.ColumnData.Caption", "Data", "数据", C},

    // The binary editor and its find dialog.
    {"frmBin.tbstMain.Main", "Main", "主视图", C},
    {"frmBin.tbstMain.ViewAsImage", "View As Image", "以图像查看", C},
    {"frmBin.lblName.Caption", "Name:", "名称:", C},
    {"frmBin.lblData.Caption", "Data:", "数据:", C},
    {"frmBin.pppmnHexValueCut.Caption", "&Cut", "剪切(&C)", C},
    {"frmBin.pppmnHexValueCopy.Caption", "C&opy", "复制(&O)", C},
    {"frmBin.pppmnHexValuePaste.Caption", "&Paste", "粘贴(&P)", C},
    {"frmBin.pppmnitmHexValuePrint.Caption", "P&rint", "打印(&R)", C},
    {"frmBin.pppmnitmHexValueFind.Caption", "&Find", "查找(&F)", C},
    {"frmBin.pppmnitmHexValueFindNext.Caption", "Find &Next", "查找下一个(&N)", C},
    {"frmBin.pppmnHexValueDelete.Caption", "&Delete", "删除(&D)", C},
    {"frmBinFind.lblText.Caption", "Text:", "文本:", C},
    {"frmBinFind.lblHex.Caption", "Hex:", "十六进制:", C},

    // The current key, DWORD and favourites dialogs.
    {"frmCurrentKey.lblShortName.Caption", "Key short name:", "键的短名称:", C},
    {"frmCurrentKey.lblLongName.Caption", "Key long name:", "键的完整名称:", C},
    {"frmDword.lblName.Caption", "Name:", "名称:", C},
    {"frmDword.lblData.Caption", "Data:", "数据:", C},
    {"frmDword.rdgrpDataType.Caption", "Data type", "数据类型", C},
    {"frmDword.rdgrpDataType.Dec", "Dec", "十进制", C},
    {"frmDword.rdgrpDataType.Hex", "Hex", "十六进制", C},
    {"frmFavorites.lblName.Caption", "Favorites Name:", "收藏夹名称:", C},
    {"frmFavorites.lblFavoritesList.Caption", "Favorites List:", "收藏夹列表:", C},
    {"frmFavorites.btnAdd.Caption", "&Add", "添加(&A)", C},

    // Find, progress and go to.
    {"frmFind.lblFindItem.Caption", "Find Item:", "查找内容:", C},
    {"frmFind.grpbxView.Caption", "Confines", "查找范围", C},
    {"frmFind.grpbxDataType.Caption", "Data type", "数据类型", C},
    {"frmFind.rdgrpCondition.Caption", "&Options", "选项(&O)", C},
    {"frmFind.rdgrpCondition.SpecialKey", "Search in special keys", "在指定的键中查找", C},
    {"frmFind.rdgrpCondition.AllKey", "Search in all keys", "在所有键中查找", C},
    {"frmFind.chckbxKey.Caption", "&Key", "键(&K)", C},
    {"frmFind.chckbxValue.Caption", "&Value", "值(&V)", C},
    {"frmFind.chckbxData.Caption", "&Data", "数据(&D)", C},
    {"frmFind.chckbxWildCharSurport.Caption", "Wild char su&rport", "支持通配符(&R)", C},
    {"frmFind.chckbxWholeWordsOnly.Caption", "Whole words &only", "全字匹配(&O)", C},
    {"frmFind.chckbxDataString.Caption", "&String", "字符串(&S)", C},
    {"frmFind.chckbxDataDword.Caption", "D&word(Dec)", "DWORD(十进制)(&W)", C},
    {"frmFinding.lblFinding.Caption", "Finding...", "正在查找...", C},
    {"frmFinding.lblPleaseWait.Caption", "Please wait", "请稍候", C},
    {"frmGoTo.rdgrpHKey.Caption", "&Key Root", "根键(&K)", C},
    {"frmGoTo.lblKey.Caption", "Key:", "键:", C},
    {"frmGoTo.btnOk.Caption", "&Go", "转到(&G)", C},

    // The key content editor.
    {"frmKeyContent.mnitmFile.Caption", "&File", "文件(&F)", C},
    {"frmKeyContent.mnitmSaveToFile.Caption", "&Save to file", "保存到文件(&S)", C},
    {"frmKeyContent.mnitmLoadFromFile.Caption", "&Load from file", "从文件载入(&L)", C},
    {"frmKeyContent.mnitmImportIntoRegistry.Caption", "&Import into Registry", "导入注册表(&I)", C},
    {"frmKeyContent.mnitmPrint.Caption", "&Print", "打印(&P)", C},
    {"frmKeyContent.mnitmClose.Caption", "&Close", "关闭(&C)", C},
    {"frmKeyContent.mnitmEdit.Caption", "&Edit", "编辑(&E)", C},
    {"frmKeyContent.mnitmUndo.Caption", "&Undo", "撤销(&U)", C},
    {"frmKeyContent.mnitmCut.Caption", "&Cut", "剪切(&C)", C},
    {"frmKeyContent.mnitmCopy.Caption", "C&opy", "复制(&O)", C},
    {"frmKeyContent.mnitmPaste.Caption", "&Paste", "粘贴(&P)", C},
    {"frmKeyContent.mnitmDelete.Caption", "&Delete", "删除(&D)", C},
    {"frmKeyContent.mnitmClear.Caption", "C&lear", "清除(&L)", C},
    {"frmKeyContent.mnitmSelectAll.Caption", "Select &All", "全选(&A)", C},
    {"frmKeyContent.mnitmControl.Caption", "&Control", "控制(&C)", C},
    {"frmKeyContent.mnitmRegistryVersionInfo.Caption", "Registry &Version Info", "注册表版本信息(&V)", C},
    {"frmKeyContent.mnFind.Caption", "&Find", "查找(&F)", C},
    {"frmKeyContent.mnitmFind.Caption", "&Find", "查找(&F)", C},
    {"frmKeyContent.mnitmFindNext.Caption", "Find &Next", "查找下一个(&N)", C},
    {"frmKeyContent.mnitmReplace.Caption", "&Replace", "替换(&R)", C},

    // Replace and its confirmations.
    {"frmReplace.lblTestToFind.Caption", "Text to find:", "查找内容:", C},
    {"frmReplace.lblReplaceWith.Caption", "Replace with:", "替换为:", C},
    {"frmReplace.grpbxReplaceItem.Caption", "Replace item", "替换项目", C},
    {"frmReplaceConfirm.lblFoundItemAt.Caption", "Found Item At:", "找到的项位于:", C},
    {"frmValueReplaceConfirm.lblInfo.Caption", "Replace this occurrence?", "替换此项吗？", C},
};

constexpr std::size_t kCount = sizeof kTexts / sizeof kTexts[0];

// Sections of the shipped file, in file order; [ANSI] and [GB2312] hold the texts.
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

std::string ShippedLanguageFile(const TGb2312Encoder& toGb2312) {
    std::string text = "[Tessmorel Language Setting]\r\nEnglish=\"ANSI\"\r\nSimple Chinese=\"GB2312\"\r\n";
    for (const char* section : kSections) {
        text += "\r\n[";
        text += section;
        text += "]\r\n";
        const bool english = std::strcmp(section, "ANSI") == 0;
        if (!english && std::strcmp(section, "GB2312") != 0) continue;
        for (std::size_t i = 0; i < kCount; ++i) {
            if (i > 0 && kTexts[i].Group != kTexts[i - 1].Group) text += "\r\n";
            std::string value = kTexts[i].Default;
            if (!english && !toGb2312(kTexts[i].Chinese, value))
                throw std::runtime_error(std::string("No GB2312 form of the text of ") + kTexts[i].Key);
            text += kTexts[i].Key;
            text += "=\"";
            text += value;
            text += "\"\r\n";
        }
    }
    return text;
}
