#include "UnitReplaceConfirm.h"

TfrmReplaceConfirm* frmReplaceConfirm = nullptr;

