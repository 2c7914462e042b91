#pragma once
#include "Forms.h"

class TfrmGoTo : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmGoTo* frmGoTo;
