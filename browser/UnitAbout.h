#pragma once
#include "Forms.h"

class TfrmAbout : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmAbout* frmAbout;
