#include "UnitStr.h"

TfrmStr* frmStr = nullptr;

