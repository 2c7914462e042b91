#include "UnitFind.h"

TfrmFind* frmFind = nullptr;

