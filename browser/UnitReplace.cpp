#include "UnitReplace.h"

TfrmReplace* frmReplace = nullptr;

