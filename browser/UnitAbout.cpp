#include "UnitAbout.h"

TfrmAbout* frmAbout = nullptr;

