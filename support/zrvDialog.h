#pragma once
#include <string>

// The program's three message boxes: no owner window, system-modal.
void NotifyError(const std::string& message);
void NotifyInfo(const std::string& message);
bool QueryYesNo(const std::string& question);  // true only for Yes
// The same with texts that may hold names the code page cannot: such a
// text is shown as it is, anything else exactly as above.
void NotifyError(const std::wstring& message);
void NotifyInfo(const std::wstring& message);
bool QueryYesNo(const std::wstring& question);
