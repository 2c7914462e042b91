#pragma once
#include "Forms.h"

class TfrmValueReplaceConfirm : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmValueReplaceConfirm* frmValueReplaceConfirm;
