#pragma once
#include "Forms.h"

class TfrmBin : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmBin* frmBin;
