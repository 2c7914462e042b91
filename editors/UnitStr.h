#pragma once
#include "Forms.h"

class TfrmStr : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmStr* frmStr;
