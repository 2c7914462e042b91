#include "UnitDword.h"

TfrmDword* frmDword = nullptr;

