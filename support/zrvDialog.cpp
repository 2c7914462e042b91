#include "zrvDialog.h"

#include <windows.h>

#include "Seams.h"

namespace {
const char kNotifyTitle[] = "System Notify";
const char kQueryTitle[] = "System Query";
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
