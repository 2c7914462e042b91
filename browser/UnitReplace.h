#pragma once
#include "Forms.h"

class TfrmReplace : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmReplace* frmReplace;
