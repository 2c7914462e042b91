#pragma once
#include "Forms.h"

class TfrmFinding : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmFinding* frmFinding;
