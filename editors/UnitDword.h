#pragma once
#include "Forms.h"

class TfrmDword : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmDword* frmDword;
