#include "UnitKeyContent.h"

TfrmKeyContent* frmKeyContent = nullptr;

void TfrmKeyContent::ClearContent() {}
