#include "UnitFavorites.h"

TfrmFavorites* frmFavorites = nullptr;

