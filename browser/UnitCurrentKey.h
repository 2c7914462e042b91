#pragma once
#include "Forms.h"

class TfrmCurrentKey : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmCurrentKey* frmCurrentKey;
