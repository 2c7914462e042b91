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
    Prepare(ofn);
    bool ok = false;
    try {
        ok = IsSave() ? Seams().SaveFileName(ofn) : Seams().OpenFileName(ofn);
    } catch (...) {
        Finish();
        throw;
    }
    Finish();
    if (ok) FileName = file;
    return ok;
}

// ---- The picture open dialog -------------------------------------------------------

namespace {

const char kPreviewClass[] = "TessmorelPicturePreview";
const int kPreviewWidth = 200;  // added to the dialog's width, margins included
const int kMargin = 8;

}  // namespace

TOpenPictureDialog::~TOpenPictureDialog() { Finish(); }

void TOpenPictureDialog::Prepare(OPENFILENAMEA& ofn) {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &TOpenPictureDialog::PreviewProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kPreviewClass;
        return ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    FPreview.reset();
    if (!registered) return;
    ofn.Flags |= OFN_ENABLEHOOK;
    ofn.Flags &= ~static_cast<DWORD>(OFN_ENABLESIZING);  // the preview keeps its place
    ofn.lpfnHook = &TOpenPictureDialog::Hook;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
}

void TOpenPictureDialog::Finish() {
    if (FPreviewWindow && ::IsWindow(FPreviewWindow)) ::DestroyWindow(FPreviewWindow);
    FPreviewWindow = nullptr;
    FPreview.reset();
}

bool TOpenPictureDialog::PreviewFile(const std::string& fileName) {
    FPreview.reset();
    const DWORD attributes = ::GetFileAttributesA(fileName.c_str());
    if (!fileName.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && Decode) {
        try {
            std::unique_ptr<TGraphic> picture = Decode(fileName);
            if (picture && !picture->GetEmpty() && picture->GetWidth() > 0 && picture->GetHeight() > 0)
                FPreview = std::move(picture);
        } catch (...) {
            // Whatever the file holds, it shows no picture.
        }
    }
    if (FPreviewWindow) ::InvalidateRect(FPreviewWindow, nullptr, TRUE);
    return FPreview != nullptr;
}

void TOpenPictureDialog::AddPreview(HWND dialog) {
    RECT window{}, client{};
    ::GetWindowRect(dialog, &window);
    ::GetClientRect(dialog, &client);
    ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + kPreviewWidth, window.bottom - window.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int side = kPreviewWidth - 2 * kMargin;
    FPreviewWindow = ::CreateWindowExA(WS_EX_CLIENTEDGE, kPreviewClass, "", WS_CHILD | WS_VISIBLE, client.right + kMargin,
                                       kMargin, side, std::min<int>(side, client.bottom - 2 * kMargin), dialog, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr);
    if (FPreviewWindow) ::SetWindowLongPtrA(FPreviewWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TOpenPictureDialog::PaintPreview(HDC dc, const RECT& area) {
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    if (!FPreview) return;
    // Fitted into the place, the sides in proportion, never enlarged.
    const double w = FPreview->GetWidth(), h = FPreview->GetHeight();
    const double room = area.right - area.left, roomH = area.bottom - area.top;
    const double scale = std::min({1.0, room / w, roomH / h});
    const int dw = std::max(1, static_cast<int>(w * scale)), dh = std::max(1, static_cast<int>(h * scale));
    const int x = area.left + (static_cast<int>(room) - dw) / 2, y = area.top + (static_cast<int>(roomH) - dh) / 2;
    const RECT to{x, y, x + dw, y + dh};
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    try {
        FPreview->Draw(dc, to);
    } catch (...) {
        // A picture that cannot draw itself leaves the background.
    }
}

LRESULT CALLBACK TOpenPictureDialog::PreviewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        RECT area{};
        ::GetClientRect(hwnd, &area);
        if (auto* self = reinterpret_cast<TOpenPictureDialog*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)))
            self->PaintPreview(dc, area);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

UINT_PTR CALLBACK TOpenPictureDialog::Hook(HWND hdlg, UINT msg, WPARAM, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lp);
        ::SetWindowLongPtrA(hdlg, GWLP_USERDATA, ofn->lCustData);
        return TRUE;
    }
    auto* self = reinterpret_cast<TOpenPictureDialog*>(::GetWindowLongPtrA(hdlg, GWLP_USERDATA));
    if (!self || msg != WM_NOTIFY) return 0;
    HWND dialog = ::GetParent(hdlg);
    switch (reinterpret_cast<const NMHDR*>(lp)->code) {
        case CDN_INITDONE: self->AddPreview(dialog); break;
        case CDN_SELCHANGE: {
            char path[MAX_PATH * 4] = {};
            const LRESULT n = ::SendMessageA(dialog, CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path));
            self->PreviewFile(n > 0 ? std::string(path) : std::string());
            break;
        }
        case CDN_FOLDERCHANGE: self->PreviewFile(std::string()); break;
        default: break;
    }
    return 0;
}

TFindDialog::~TFindDialog() { CloseDialog(); }

UINT TFindDialog::Message() {
    static const UINT message = ::RegisterWindowMessageW(FINDMSGSTRINGW);
    return message;
}

void TFindDialog::Execute() {
    if (Showing()) {
        ::SetForegroundWindow(FWindow);
        return;
    }
    const size_t room = sizeof FFind / sizeof FFind[0] - 1;
    FFind[FindText.copy(FFind, room)] = L'\0';
    FReplace[ReplaceText.copy(FReplace, room)] = L'\0';
    FData = FINDREPLACEW{};
    FData.lStructSize = sizeof FData;
    FData.hwndOwner = OwnerWindow;
    FData.Flags = Options | (MatchCase ? FR_MATCHCASE : 0) | (WholeWord ? FR_WHOLEWORD : 0);
    FData.lpstrFindWhat = FFind;
    FData.wFindWhatLen = sizeof FFind;
    FData.lpstrReplaceWith = FReplace;
    FData.wReplaceWithLen = sizeof FReplace;
    // The wide dialogs: what is typed into them arrives as typed.
    FWindow = IsReplace() ? ::ReplaceTextW(&FData) : ::FindTextW(&FData);
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
    auto* fr = reinterpret_cast<FINDREPLACEW*>(lp);
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
