#pragma once
#include "Forms.h"

class TfrmFavorites : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmFavorites* frmFavorites;
