#include "UnitValueReplaceConfirm.h"

TfrmValueReplaceConfirm* frmValueReplaceConfirm = nullptr;

