#include "UnitFinding.h"

TfrmFinding* frmFinding = nullptr;

