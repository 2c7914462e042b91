#include "UnitBin.h"

TfrmBin* frmBin = nullptr;

