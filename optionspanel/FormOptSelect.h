// The "Select" page of the options panel.
#pragma once

#include "FormOptDlg.h"

class CFormOptSelect : public CFormOptDlg
{
    Q_OBJECT

public:
    CFormOptSelect();

protected:
    // Each stacked-only comma list is enabled only while its list is stacked.
    void ApplyEnablingRules() override;
};
