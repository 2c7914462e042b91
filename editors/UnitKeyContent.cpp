#include "UnitKeyContent.h"

#include "Files.h"
#include "Seams.h"
#include "LanguageTexts.h"
#include "UnitMain.h"
#include "resource.h"
#include "zrvDialog.h"
#include "zrvRegFile.h"
#include "zrvString.h"

using namespace classlib;

TfrmKeyContent* frmKeyContent = nullptr;

namespace {

const char* const kHeaderLines[] = {"Windows Registry Editor Version 5.00", "REGEDIT4", "REGEDIT3", "REGEDIT2"};
const char kFilter[] = "Registry file(*.reg)|*.reg";

bool IsWholeWord(const std::wstring& text, size_t at, size_t length) {
    return (at == 0 || !::IsCharAlphaNumericW(text[at - 1])) &&
           (at + length >= text.size() || !::IsCharAlphaNumericW(text[at + length]));
}

}  // namespace

void TfrmKeyContent::BindComponents() {
    RegisterLanguageFields(*this, "frmKeyContent", {
        {&sReadonlyCaption, "sReadonlyCaption"}, {&sCancelReadonlyCaption, "sCancelReadonlyCaption"},
        {&sPositionName, "sPositionName"}, {&sLinesName, "sLinesName"}, {&sSizeName, "sSizeName"},
        {&smsgReplaceVersionQuery, "smsgReplaceVersionQuery"},
        {&smsgCloseAfterChangeSaveQuery, "smsgCloseAfterChangeSaveQuery"}, {&smsgClearQuery, "smsgClearQuery"},
        {&smsgReplaceBroken, "smsgReplaceBroken"}, {&smsgReplaceFinish, "smsgReplaceFinish"},
        {&smsgQueryAddVersion, "smsgQueryAddVersion"}, {&smsgQueryImport, "smsgQueryImport"},
        {&smsgImportError, "smsgImportError"}, {&smsgUnknownRegistryFileVersion, "smsgUnknownRegistryFileVersion"},
    });
    Bind(sttsbrContent, IDC_STTSBRCONTENT, "sttsbrContent", TAlign::alBottom);
    Bind(rchedtContent, IDC_RCHEDTCONTENT, "rchedtContent", TAlign::alClient);
    rchedtContent.Setup();
    rchedtContent.SetWordWrap(false);  // registry-file lines are hard lines
    sttsbrContent.SetPanels({100, 150, -1});  // the last panel runs to the end
    MainMenu1.Load(*this, IDM_KEYCONTENT, false);
    Register(MainMenu1, "MainMenu1");
    Menu = &MainMenu1;
    ::SetMenu(Handle, MainMenu1.Handle);
    struct Item {
        TMenuItem** Field;
        int Id;
        const char* Name;
        int Image;
    };
    const Item items[] = {
        {&mnitmFile, ID_KC_MNITMFILE, "mnitmFile", -1},
        {&mnitmLoadFromFile, ID_KC_MNITMLOADFROMFILE, "mnitmLoadFromFile", 8},
        {&mnitmSaveToFile, ID_KC_MNITMSAVETOFILE, "mnitmSaveToFile", 9},
        {&mnitmImportIntoRegistry, ID_KC_MNITMIMPORTINTOREGISTRY, "mnitmImportIntoRegistry", 13},
        {&mnitmPrint, ID_KC_MNITMPRINT, "mnitmPrint", 14},
        {&mnitmClose, ID_KC_MNITMCLOSE, "mnitmClose", 16},
        {&mnitmEdit, ID_KC_MNITMEDIT, "mnitmEdit", -1},
        {&mnitmUndo, ID_KC_MNITMUNDO, "mnitmUndo", -1},
        {&mnitmCut, ID_KC_MNITMCUT, "mnitmCut", 22},
        {&mnitmCopy, ID_KC_MNITMCOPY, "mnitmCopy", 23},
        {&mnitmPaste, ID_KC_MNITMPASTE, "mnitmPaste", 24},
        {&mnitmDelete, ID_KC_MNITMDELETE, "mnitmDelete", 25},
        {&mnitmClear, ID_KC_MNITMCLEAR, "mnitmClear", -1},
        {&mnitmSelectAll, ID_KC_MNITMSELECTALL, "mnitmSelectAll", -1},
        {&mnitmControl, ID_KC_MNITMCONTROL, "mnitmControl", -1},
        {&mnitmRegistryVersionInfo, ID_KC_MNITMREGISTRYVERSIONINFO, "mnitmRegistryVersionInfo", 5},
        {&mnitmReadonly, ID_KC_MNITMREADONLY, "mnitmReadonly", -1},
        {&mnFind, ID_KC_MNFIND, "mnFind", -1},
        {&mnitmFind, ID_KC_MNITMFIND, "mnitmFind", 26},
        {&mnitmFindNext, ID_KC_MNITMFINDNEXT, "mnitmFindNext", -1},
        {&mnitmReplace, ID_KC_MNITMREPLACE, "mnitmReplace", -1},
    };
    for (const Item& i : items) {
        *i.Field = MainMenu1.Bind(i.Id, i.Name);
        (*i.Field)->SetImageIndex(i.Image);
    }
    for (TFileDialog* d : std::initializer_list<TFileDialog*>{&opndlgContent, &svdlgContent}) {
        d->Filter = kFilter;
        d->DefaultExt = "reg";
        d->OwnerWindow = Handle;
    }
    Register(opndlgContent, "opndlgContent");
    Register(svdlgContent, "svdlgContent");
    Register(fnddlgContent, "fnddlgContent");
    Register(rplcdlgContent, "rplcdlgContent");
    fnddlgContent.OwnerWindow = rplcdlgContent.OwnerWindow = Handle;

    OnShow = Handler(this, &TfrmKeyContent::FormShow);
    OnCloseQuery = [this](TObject* s, bool& can) { FormCloseQuery(s, can); };
    rchedtContent.OnChange = Handler(this, &TfrmKeyContent::rchedtContentChange);
    rchedtContent.OnKeyDown = [this](TObject*, WORD& key, UINT) {
        if (key == VK_ESCAPE) FEscPressed = true;
    };
    rchedtContent.OnKeyUp = [this](TObject*, WORD&, UINT) { UpdatePosition(); };
    rchedtContent.OnMouseUp = [this](TObject*) { UpdatePosition(); };
    mnitmFile->OnClick = Handler(this, &TfrmKeyContent::mnitmFileClick);
    mnitmLoadFromFile->OnClick = Handler(this, &TfrmKeyContent::mnitmLoadFromFileClick);
    mnitmSaveToFile->OnClick = Handler(this, &TfrmKeyContent::mnitmSaveToFileClick);
    mnitmImportIntoRegistry->OnClick = Handler(this, &TfrmKeyContent::mnitmImportIntoRegistryClick);
    mnitmPrint->OnClick = Handler(this, &TfrmKeyContent::mnitmPrintClick);
    mnitmClose->OnClick = Handler(this, &TfrmKeyContent::mnitmCloseClick);
    for (TMenuItem* i : {mnitmUndo, mnitmCut, mnitmCopy, mnitmPaste, mnitmDelete, mnitmSelectAll})
        i->OnClick = Handler(this, &TfrmKeyContent::mnitmEditCommand);
    mnitmClear->OnClick = Handler(this, &TfrmKeyContent::mnitmClearClick);
    mnitmRegistryVersionInfo->OnClick = Handler(this, &TfrmKeyContent::mnitmRegistryVersionInfoClick);
    mnitmReadonly->OnClick = Handler(this, &TfrmKeyContent::mnitmReadonlyClick);
    mnitmFind->OnClick = Handler(this, &TfrmKeyContent::mnitmFindClick);
    mnitmFindNext->OnClick = Handler(this, &TfrmKeyContent::mnitmFindNextClick);
    mnitmReplace->OnClick = Handler(this, &TfrmKeyContent::mnitmReplaceClick);
    fnddlgContent.OnFind = Handler(this, &TfrmKeyContent::fnddlgContentFind);
    rplcdlgContent.OnFind = Handler(this, &TfrmKeyContent::rplcdlgContentFind);
    rplcdlgContent.OnReplace = Handler(this, &TfrmKeyContent::rplcdlgContentReplace);
    rplcdlgContent.OnReplaceAll = Handler(this, &TfrmKeyContent::rplcdlgContentReplaceAll);

    ::SetWindowPos(Handle, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterOnScreen();
    Realign();
}

INT_PTR TfrmKeyContent::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    if (msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == rchedtContent.Handle) {
        // The plain edit that stands in for a long text, read-only, looks as
        // the rich edit does.
        handled = true;
        return PaintStatic(reinterpret_cast<HDC>(wp), CLR_INVALID, ::GetSysColor(COLOR_WINDOW));
    }
    handled = msg == TFindDialog::Message() && (fnddlgContent.HandleMessage(msg, lp) ||
                                                 rplcdlgContent.HandleMessage(msg, lp));
    return 0;
}

// ---- Text helpers ------------------------------------------------------------

void TfrmKeyContent::ClearContent() {
    rchedtContent.SetText("");
    rchedtContent.SetModified(false);
}

bool TfrmKeyContent::IsHeaderLine(const std::string& line) {
    const std::string trimmed = TrimSpaces(line);
    for (const char* header : kHeaderLines)
        if (trimmed == header) return true;
    return false;
}

std::string TfrmKeyContent::FirstLine() const {
    return rchedtContent.LineCount() > 0 ? rchedtContent.Line(0) : std::string();
}

void TfrmKeyContent::InsertHeader() {
    const CHARRANGE keep = rchedtContent.Selection();
    rchedtContent.SetSelection(0, 0);
    const std::string header = frmMain->FRegFileHeader + "\r\n\r\n";
    rchedtContent.ReplaceSel(header);
    const LONG shift = static_cast<LONG>(header.size()) - 2;  // a line break counts as one position
    rchedtContent.SetSelection(keep.cpMin + shift, keep.cpMax + shift);
}

int TfrmKeyContent::AskSaveChanges() {
    return Seams().MessageBox(nullptr, smsgCloseAfterChangeSaveQuery, "Notify", MB_YESNOCANCEL);
}

// ---- Showing and status ------------------------------------------------------

void TfrmKeyContent::FormShow(TObject*) {
    if (rchedtContent.LineCount() > 0 && rchedtContent.Line(0).empty()) {
        const LONG next = rchedtContent.LineIndex(1);
        if (next > 0) {
            rchedtContent.SetSelection(0, next);
            rchedtContent.ReplaceSel("");
        }
    }
    rchedtContent.SetSelection(0, 0);
    rchedtContent.SetModified(false);
    mnitmReadonly->SetCaption(rchedtContent.ReadOnly() ? sCancelReadonlyCaption : sReadonlyCaption);
    rchedtContentChange(nullptr);
}

void TfrmKeyContent::rchedtContentChange(TObject*) {
    sttsbrContent.SetPanelText(0, sLinesName + std::to_string(rchedtContent.LineCount()));
    sttsbrContent.SetPanelText(1, sSizeName + std::to_string(rchedtContent.TextLength()) + " " + frmMain->sBytesName);
    UpdatePosition();
}

void TfrmKeyContent::UpdatePosition() {
    const POINT p = rchedtContent.CaretPos();
    sttsbrContent.SetPanelText(2, sPositionName + "[X:" + std::to_string(p.x) + " Y:" + std::to_string(p.y) + "]");
}

void TfrmKeyContent::FormCloseQuery(TObject*, bool& canClose) {
    canClose = !FReplaceRunning;
    if (!canClose) return;
    if (!rchedtContent.Modified()) return;
    switch (AskSaveChanges()) {
        case IDYES:
            // The window closes only when the text was really written.
            canClose = SaveToFile();
            break;
        case IDNO: break;
        default: canClose = false; break;
    }
    if (!canClose) ModalResult = mrNone;
}

// ---- File menu -----------------------------------------------------------------

void TfrmKeyContent::mnitmFileClick(TObject*) { mnitmImportIntoRegistry->SetEnabled(rchedtContent.LineCount() > 0); }

void TfrmKeyContent::mnitmLoadFromFileClick(TObject*) {
    if (FReplaceRunning) return;  // Replace All is running
    if (rchedtContent.Modified()) {
        const int answer = AskSaveChanges();
        if (answer == IDCANCEL) return;
        if (answer == IDYES) {
            SaveToFile();
            return;
        }
    }
    if (!opndlgContent.Execute()) return;
    TStringList lines;
    lines.LoadFromFile(opndlgContent.FileName);  // raises, leaving the text as it was
    rchedtContent.SetText(lines.Text());
    rchedtContent.SetModified(false);
    rchedtContentChange(nullptr);
}

bool TfrmKeyContent::SaveToFile() {
    if (!IsHeaderLine(FirstLine()) && QueryYesNo(smsgQueryAddVersion)) InsertHeader();
    if (!svdlgContent.Execute()) return false;
    // Registry files are text in the code page: a character it cannot
    // hold is reported, and nothing is written.
    std::string text;
    if (!frmMain->TextForFile(rchedtContent.WideText(), text)) return false;
    try {
        TStringList lines;
        lines.SetText(text);
        lines.SaveToFile(svdlgContent.FileName);
    } catch (const std::exception& e) {
        NotifyError(ErrorText(e));
        return false;
    }
    rchedtContent.SetModified(false);
    return true;
}

void TfrmKeyContent::mnitmSaveToFileClick(TObject*) {
    if (FReplaceRunning) return;  // Replace All is running
    SaveToFile();
}

void TfrmKeyContent::mnitmImportIntoRegistryClick(TObject*) {
    if (FReplaceRunning) return;  // Replace All is running
    if (rchedtContent.LineCount() == 0) return;
    if (!IsHeaderLine(FirstLine())) {
        if (!QueryYesNo(smsgQueryAddVersion)) return;
        InsertHeader();
    }
    if (!QueryYesNo(smsgQueryImport)) return;
    // Imported as registry-file text, which is in the code page: a
    // character it cannot hold is reported before anything is written.
    std::string text;
    if (!frmMain->TextForFile(rchedtContent.WideText(), text)) return;
    THourGlass wait;
    try {
        TStringList lines;
        lines.SetText(text);
        switch (ImportRegLines(lines)) {
            case rirDone: NotifyInfo(frmMain->msgImportSuccess); break;
            case rirNotRegFile: NotifyError(smsgUnknownRegistryFileVersion); break;
            default: NotifyError(frmMain->msgErrorHappenWhenImport); break;
        }
    } catch (...) {
        NotifyError(smsgImportError);
    }
}

bool TfrmKeyContent::PrintContent(const std::wstring& title) {
    TPrintJob job;
    job.Title = title;
    job.Text = rchedtContent.WideText();
    std::string error;
    if (Seams().Print(job, error)) return true;
    NotifyError(error);
    return false;
}

void TfrmKeyContent::mnitmPrintClick(TObject*) {
    if (FReplaceRunning) return;  // Replace All is running
    PrintContent(L"Registry Key Content");
}

void TfrmKeyContent::mnitmCloseClick(TObject*) {
    if (FReplaceRunning) return;  // Replace All is running
    if (IsModal()) {
        bool canClose = true;
        FormCloseQuery(this, canClose);
        if (canClose) ModalResult = mrOk;
    } else {
        Close();
    }
}

// ---- Edit menu -------------------------------------------------------------------

void TfrmKeyContent::mnitmEditCommand(TObject* sender) {
    if (FReplaceRunning) return;  // Replace All is running
    HWND edit = rchedtContent.Handle;
    const bool writable = !rchedtContent.ReadOnly();
    if (sender == mnitmCopy) {
        ::SendMessageA(edit, WM_COPY, 0, 0);
    } else if (sender == mnitmSelectAll) {
        rchedtContent.SetSelection(0, -1);
    } else if (!writable) {
        return;
    } else if (sender == mnitmUndo) {
        ::SendMessageA(edit, EM_UNDO, 0, 0);
    } else if (sender == mnitmCut) {
        ::SendMessageA(edit, WM_CUT, 0, 0);
    } else if (sender == mnitmPaste) {
        rchedtContent.PasteText();
    } else if (sender == mnitmDelete) {
        rchedtContent.ReplaceSel("");
    }
}

void TfrmKeyContent::mnitmClearClick(TObject*) {
    if (FReplaceRunning) return;  // Replace All is running
    if (rchedtContent.ReadOnly() || !QueryYesNo(smsgClearQuery)) return;
    rchedtContent.SetSelection(0, -1);
    rchedtContent.ReplaceSel("");
}

// ---- Control menu ----------------------------------------------------------------

void TfrmKeyContent::mnitmRegistryVersionInfoClick(TObject*) {
    if (FReplaceRunning) return;  // Replace All is running
    if (rchedtContent.ReadOnly()) return;
    if (rchedtContent.LineCount() == 0 || !IsHeaderLine(FirstLine())) {
        InsertHeader();
        return;
    }
    if (QueryYesNo(smsgReplaceVersionQuery)) {
        const LONG length = static_cast<LONG>(::SendMessageA(rchedtContent.Handle, EM_LINELENGTH, 0, 0));
        rchedtContent.SetSelection(0, length);
        rchedtContent.ReplaceSel(frmMain->FRegFileHeader);
    } else {
        InsertHeader();
    }
}

void TfrmKeyContent::mnitmReadonlyClick(TObject*) {
    if (FReplaceRunning) return;  // Replace All is running
    rchedtContent.SetReadOnly(!rchedtContent.ReadOnly());
    mnitmReadonly->SetCaption(rchedtContent.ReadOnly() ? sCancelReadonlyCaption : sReadonlyCaption);
}

// ---- Find and replace --------------------------------------------------------------

bool TfrmKeyContent::SearchFrom(LONG from, const TFindDialog& dialog) {
    const CHARRANGE hit = rchedtContent.Find(dialog.FindText, from, -1, dialog.MatchCase, dialog.WholeWord);
    FFindFound = hit.cpMin >= 0;
    if (FFindFound) {
        rchedtContent.SetSelection(hit.cpMin, hit.cpMax);
        UpdatePosition();
    }
    return FFindFound;
}

void TfrmKeyContent::mnitmFindClick(TObject*) {
    if (FReplaceRunning) return;
    fnddlgContent.Execute();
}

void TfrmKeyContent::mnitmFindNextClick(TObject*) {
    if (FReplaceRunning) return;
    if (!FFindFound) {
        mnitmFindClick(nullptr);
        return;
    }
    if (!SearchFrom(rchedtContent.Selection().cpMax, fnddlgContent)) NotifyInfo(frmMain->msgFindActionFinish);
}

void TfrmKeyContent::mnitmReplaceClick(TObject*) {
    if (FReplaceRunning) return;
    rplcdlgContent.Execute();
}

void TfrmKeyContent::fnddlgContentFind(TObject*) {
    if (FReplaceRunning) return;
    fnddlgContent.CloseDialog();
    if (!SearchFrom(rchedtContent.Selection().cpMin, fnddlgContent)) NotifyInfo(frmMain->msgFindActionFinish);
}

void TfrmKeyContent::rplcdlgContentFind(TObject*) {
    if (FReplaceRunning) return;
    if (!SearchFrom(rchedtContent.Selection().cpMin, rplcdlgContent)) NotifyInfo(smsgReplaceFinish);
}

void TfrmKeyContent::rplcdlgContentReplace(TObject*) {
    if (FReplaceRunning) return;
    const std::wstring selected = rchedtContent.WideSelText();
    const bool same = rplcdlgContent.MatchCase
                          ? selected == rplcdlgContent.FindText
                          : ::lstrcmpiW(selected.c_str(), rplcdlgContent.FindText.c_str()) == 0;
    // A read-only text is searched but never changed.
    if (same && !selected.empty() && !rchedtContent.ReadOnly())
        rchedtContent.ReplaceSel(rplcdlgContent.ReplaceText);
    else
        rplcdlgContentFind(nullptr);
}

void TfrmKeyContent::rplcdlgContentReplaceAll(TObject*) {
    if (FReplaceRunning) return;  // one Replace All at a time
    {
        THourGlass wait;
        FReplaceRunning = true;
        rplcdlgContent.CloseDialog();
        const std::wstring findText = rplcdlgContent.FindText, replaceText = rplcdlgContent.ReplaceText;
        const bool matchCase = rplcdlgContent.MatchCase, wholeWord = rplcdlgContent.WholeWord;
        FEscPressed = false;
        // A read-only text is left alone.
        if (!rchedtContent.ReadOnly() && !findText.empty()) ReplaceAllOnce(findText, replaceText, matchCase, wholeWord);
        FReplaceRunning = false;
    }
    NotifyInfo(FEscPressed ? smsgReplaceBroken : smsgReplaceFinish);
    UpdatePosition();
}

void TfrmKeyContent::ReplaceAllOnce(const std::wstring& find, const std::wstring& with, bool matchCase,
                                    bool wholeWord) {
    Application().ProcessMessages();  // an Esc already on its way
    if (FEscPressed) return;
    // The hits the edit's own search would find one after another, from the
    // start of the selection on, each search starting behind the last
    // replacement; found in one pass and put into the edit in one fill.
    const std::wstring text = rchedtContent.WideText();
    std::wstring folded, needle = find;
    if (!matchCase) {
        folded = text;
        if (!folded.empty()) ::CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
        ::CharUpperBuffW(&needle[0], static_cast<DWORD>(needle.size()));
    }
    const std::wstring& haystack = matchCase ? text : folded;
    const size_t from = IndexOfPosition(text, rchedtContent.Selection().cpMin);
    std::wstring out(text, 0, from);
    size_t copied = from, hits = 0;
    for (size_t at = haystack.find(needle, from); at != std::wstring::npos; at = haystack.find(needle, at)) {
        if (wholeWord && !IsWholeWord(text, at, find.size())) {
            ++at;
            continue;
        }
        out.append(text, copied, at - copied).append(with);
        at = copied = at + find.size();
        // Esc is looked for now and then; what is replaced by then stays.
        if (++hits % 1024 == 0) {
            Application().ProcessMessages();
            if (FEscPressed) break;
        }
    }
    if (hits == 0) return;
    const LONG caret = PositionOfIndex(out, out.size());
    out.append(text, copied, std::wstring::npos);
    rchedtContent.SetWideText(out);
    rchedtContent.SetModified(true);
    rchedtContent.SetSelection(caret, caret);
}
