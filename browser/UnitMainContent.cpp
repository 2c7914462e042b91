// The main window's commands that move registry content to and from
// registry-file text: export, import, key content and printing.
#include "UnitKeyContent.h"
#include "UnitMain.h"
#include "zrvDialog.h"
#include "zrvRegFile.h"
#include "zrvRegistry.h"

using namespace classlib;

void TfrmMain::BindContentCommands() {
    Register(svdlgExport, "svdlgExport");
    svdlgExport.Filter = "Registry file(*.reg)|*.reg";
    svdlgExport.DefaultExt = "reg";
    svdlgExport.OwnerWindow = Handle;
    mnitmExportRegistryKey->OnClick = pppmnitmExportRegistryKey->OnClick =
        Handler(this, &TfrmMain::mnitmExportRegistryKeyClick);
    mnitmExportAllKey->OnClick = Handler(this, &TfrmMain::mnitmExportAllKeyClick);
    mnitmImport->OnClick = Handler(this, &TfrmMain::mnitmImportClick);
    mnitmEditRegFile->OnClick = Handler(this, &TfrmMain::mnitmEditRegFileClick);
    mnitmKeyContent->OnClick = pppmnitmKeyContent->OnClick =
        Handler(this, &TfrmMain::pppmnitmKeyContentClick);
    mnitmPrintKeyContent->OnClick = Handler(this, &TfrmMain::pppmnitmKeyprntKeyContentClick);
}

void TfrmMain::mnitmExportRegistryKeyClick(TObject*) {
    if (!svdlgExport.Execute()) return;
    TTreeNode node = trvwKeys.Selected();
    TTreeData* data = NodeData(node);
    if (!node || !data || !WritableAsText(node)) return;
    THourGlass wait;
    // A file that cannot be written raises, and the default report names it.
    TRegExportReport report;
    if (!ExportKeyToFile(data->RootKey, GetNodePath(node), svdlgExport.FileName, FRegFileHeader, &report))
        NotifyError(msgAccessRegistryError);
    else
        ReportLeftOut(report);
}

bool TfrmMain::WritableAsText(TTreeNode node) {
    // No section line in the code page can name a key whose real path it
    // cannot hold: the whole key is left out, and said so.
    if (FitsCodePage(GetNodeKeyPath(node))) return true;
    TRegExportReport report;
    report.KeysLeftOut = 1;
    report.FirstLeftOut.push_back(GetNodeLongName(node));
    return ReportLeftOut(report);
}

bool TfrmMain::ReportLeftOut(const TRegExportReport& report) {
    if (report.Complete()) return true;
    std::string text = msgExportLeftOut + "\n" + sKeyName + ": " + std::to_string(report.KeysLeftOut) + ", " +
                       sVallueName + ": " + std::to_string(report.ValuesLeftOut);
    for (const std::string& name : report.FirstLeftOut) text += "\n" + name;
    const int more = report.KeysLeftOut + report.ValuesLeftOut - static_cast<int>(report.FirstLeftOut.size());
    if (more > 0) text += "\n...";
    NotifyError(text);
    return false;
}

bool TfrmMain::TextForFile(const std::wstring& text, std::string& out) {
    if (ToAnsiExact(text, out)) return true;
    std::wstring shown = ToWide(msgTextNotKept);
    int listed = 0;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        if (!FitsCodePage(line)) {
            if (++listed > 5) {
                shown += L"\r\n...";
                break;
            }
            shown += L"\r\n" + line.substr(0, 200);
        }
        start = end + 1;
    }
    NotifyError(shown);
    return false;
}

void TfrmMain::mnitmExportAllKeyClick(TObject*) {
    if (!svdlgExport.Execute()) return;
    TTreeNode node = trvwKeys.Selected();
    if (!node || !NodeData(node)) return;
    THourGlass wait;
    TStringList list;
    list.Add(FRegFileHeader);
    TRegExportReport report;
    for (HKEY root : ExportedRootKeys(FVersionInfo)) ExportKey(root, "", list, &report);
    list.SaveToFile(svdlgExport.FileName);
    ReportLeftOut(report);
}

bool TfrmMain::FillKeyContent(TTreeNode node) {
    TTreeData* data = NodeData(node);
    if (!node || !data || !WritableAsText(node)) return false;
    THourGlass wait;
    TStringList list;
    TRegExportReport report;
    ExportKey(data->RootKey, GetNodePath(node), list, &report);
    ReportLeftOut(report);
    frmKeyContent->ClearContent();
    frmKeyContent->rchedtContent.SetText(list.Text());
    return true;
}

void TfrmMain::pppmnitmKeyContentClick(TObject*) {
    try {
        if (!FillKeyContent(trvwKeys.Selected())) return;
        frmKeyContent->ShowModal();
    } catch (...) {
        // What the editor could not do it has reported itself.
    }
}

void TfrmMain::pppmnitmKeyprntKeyContentClick(TObject*) {
    TTreeNode node = trvwKeys.Selected();
    try {
        if (!FillKeyContent(node)) return;
        frmKeyContent->PrintContent(GetNodeKeyPath(node) + L" Content");
    } catch (const std::exception& e) {
        NotifyError(e.what());
    }
}

void TfrmMain::mnitmEditRegFileClick(TObject*) {
    TOpenDialog& dialog = frmKeyContent->opndlgContent;
    if (!dialog.Execute()) return;
    TStringList lines;
    lines.LoadFromFile(dialog.FileName);  // raises with the file's name; the default report shows it
    frmKeyContent->ClearContent();
    frmKeyContent->rchedtContent.SetText(lines.Text());
    frmKeyContent->ShowModal();
}

void TfrmMain::mnitmImportClick(TObject*) {
    TOpenDialog& dialog = frmKeyContent->opndlgContent;
    if (!dialog.Execute()) return;
    if (!QueryYesNo(msgSureToImportFile + "[" + dialog.FileName + "]")) return;
    THourGlass wait;
    switch (ImportRegFile(dialog.FileName)) {
        case rirDone: NotifyInfo(msgImportSuccess); break;
        case rirNotRegFile: NotifyError(msgUnknowRegistryFileVersion); break;
        case rirSomeFailed: NotifyError(msgErrorHappenWhenImport); break;
        default: NotifyError(msgFileNotExit); break;
    }
}
