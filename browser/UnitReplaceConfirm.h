#pragma once
#include "Forms.h"

class TfrmReplaceConfirm : public classlib::TForm {
public:

protected:
    void BindComponents() override {}
};

extern TfrmReplaceConfirm* frmReplaceConfirm;
