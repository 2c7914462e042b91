#pragma once
#include "Forms.h"

class TfrmKeyContent : public classlib::TForm {
public:
    // Empties the editor's text.
    void ClearContent();
protected:
    void BindComponents() override {}
};

extern TfrmKeyContent* frmKeyContent;
