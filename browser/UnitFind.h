#pragma once
#include "Forms.h"

class TfrmFind : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmFind* frmFind;
