#include "zrvDialog.h"

#include <windows.h>

#include "Registry.h"
#include "Seams.h"

namespace {
const char kNotifyTitle[] = "System Notify";
const char kQueryTitle[] = "System Query";

int ShowBox(const std::wstring& text, const char* title, UINT flags) {
    if (classlib::FitsCodePage(text)) return classlib::Seams().MessageBox(nullptr, classlib::ToAnsi(text), title, flags);
    return classlib::Seams().WideMessageBox(nullptr, text, classlib::ToWide(title), flags);
}

}  // namespace

void NotifyError(const std::string& message) {
    classlib::Seams().MessageBox(nullptr, message, kNotifyTitle, MB_SYSTEMMODAL | MB_ICONHAND);
}

void NotifyInfo(const std::string& message) {
    classlib::Seams().MessageBox(nullptr, message, kNotifyTitle, MB_SYSTEMMODAL);
}

bool QueryYesNo(const std::string& question) {
    return classlib::Seams().MessageBox(nullptr, question, kQueryTitle, MB_SYSTEMMODAL | MB_YESNO) == IDYES;
}

void NotifyError(const std::wstring& message) { ShowBox(message, kNotifyTitle, MB_SYSTEMMODAL | MB_ICONHAND); }

void NotifyInfo(const std::wstring& message) { ShowBox(message, kNotifyTitle, MB_SYSTEMMODAL); }

bool QueryYesNo(const std::wstring& question) {
    return ShowBox(question, kQueryTitle, MB_SYSTEMMODAL | MB_YESNO) == IDYES;
}
