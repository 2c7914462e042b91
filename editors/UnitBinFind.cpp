#include "UnitBinFind.h"

TfrmBinFind* frmBinFind = nullptr;

