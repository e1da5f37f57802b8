// The "Comments" page of the options panel.
#pragma once

#include "FormOptDlg.h"

class CFormOptComments : public CFormOptDlg
{
    Q_OBJECT

public:
    CFormOptComments();

protected:
    // Removing comments makes the hints box meaningful and the new-line boxes moot.
    void ApplyEnablingRules() override;
};
