#include "UnitGoTo.h"

TfrmGoTo* frmGoTo = nullptr;

