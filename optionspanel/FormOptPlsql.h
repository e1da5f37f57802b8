// The "PL/SQL" page of the options panel.
#pragma once

#include "FormOptDlg.h"

class CFormOptPlsql : public CFormOptDlg
{
    Q_OBJECT

public:
    CFormOptPlsql();

protected:
    // The block indent only matters while blocks get their own layout.
    void ApplyEnablingRules() override;
};
