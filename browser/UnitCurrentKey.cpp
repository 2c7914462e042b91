#include "UnitCurrentKey.h"

TfrmCurrentKey* frmCurrentKey = nullptr;

