#include "Dialogs.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Seams.h"

namespace classlib {

namespace {

std::vector<HWND>& ModelessDialogs() {
    static std::vector<HWND> dialogs;
    return dialogs;
}

// "Name|*.ext|..." to the double-NUL-terminated form.
std::string FilterString(const std::string& filter) {
    std::string out = filter;
    std::replace(out.begin(), out.end(), '|', '\0');
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

}  // namespace

bool TFileDialog::Execute() {
    char file[MAX_PATH * 4] = {};
    FileName.copy(file, sizeof file - 1);
    const std::string filter = FilterString(Filter);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OwnerWindow;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
    // A file that exists is replaced only when the user says so, as the
    // system's save dialogs ask.
    if (IsSave()) ofn.Flags |= OFN_OVERWRITEPROMPT;
    const bool ok = IsSave() ? Seams().SaveFileName(ofn) : Seams().OpenFileName(ofn);
    if (ok) FileName = file;
    return ok;
}

TFindDialog::~TFindDialog() { CloseDialog(); }

UINT TFindDialog::Message() {
    static const UINT message = ::RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

void TFindDialog::Execute() {
    if (Showing()) {
        ::SetForegroundWindow(FWindow);
        return;
    }
    FindText.copy(FFind, sizeof FFind - 1);
    FFind[std::min(FindText.size(), sizeof FFind - 1)] = '\0';
    ReplaceText.copy(FReplace, sizeof FReplace - 1);
    FReplace[std::min(ReplaceText.size(), sizeof FReplace - 1)] = '\0';
    FData = FINDREPLACEA{};
    FData.lStructSize = sizeof FData;
    FData.hwndOwner = OwnerWindow;
    FData.Flags = Options | (MatchCase ? FR_MATCHCASE : 0) | (WholeWord ? FR_WHOLEWORD : 0);
    FData.lpstrFindWhat = FFind;
    FData.wFindWhatLen = sizeof FFind;
    FData.lpstrReplaceWith = FReplace;
    FData.wReplaceWithLen = sizeof FReplace;
    FWindow = IsReplace() ? ::ReplaceTextA(&FData) : ::FindTextA(&FData);
    if (FWindow) ModelessDialogs().push_back(FWindow);
}

void TFindDialog::CloseDialog() {
    if (!FWindow) return;
    auto& list = ModelessDialogs();
    list.erase(std::remove(list.begin(), list.end(), FWindow), list.end());
    if (::IsWindow(FWindow)) ::DestroyWindow(FWindow);
    FWindow = nullptr;
}

bool TFindDialog::HandleMessage(UINT msg, LPARAM lp) {
    if (msg != Message()) return false;
    auto* fr = reinterpret_cast<FINDREPLACEA*>(lp);
    if (fr != &FData) return false;
    FindText = FFind;
    ReplaceText = FReplace;
    MatchCase = (fr->Flags & FR_MATCHCASE) != 0;
    WholeWord = (fr->Flags & FR_WHOLEWORD) != 0;
    if (fr->Flags & FR_DIALOGTERM) {
        auto& list = ModelessDialogs();
        list.erase(std::remove(list.begin(), list.end(), FWindow), list.end());
        FWindow = nullptr;
    } else if (fr->Flags & FR_REPLACEALL) {
        if (OnReplaceAll) OnReplaceAll(this);
    } else if (fr->Flags & FR_REPLACE) {
        if (OnReplace) OnReplace(this);
    } else if (fr->Flags & FR_FINDNEXT) {
        if (OnFind) OnFind(this);
    }
    return true;
}

bool IsModelessDialogMessage(MSG& msg) {
    for (HWND h : ModelessDialogs())
        if (::IsWindow(h) && ::IsDialogMessageW(h, &msg)) return true;
    return false;
}

}  // namespace classlib
