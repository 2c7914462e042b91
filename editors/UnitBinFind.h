#pragma once
#include "Forms.h"

class TfrmBinFind : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmBinFind* frmBinFind;
