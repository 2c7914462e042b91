#pragma once
#include <string>

// The program's three message boxes: no owner window, system-modal.
void NotifyError(const std::string& message);
void NotifyInfo(const std::string& message);
bool QueryYesNo(const std::string& question);  // true only for Yes
