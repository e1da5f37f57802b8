// The "Case" page of the options panel.
#pragma once

#include "FormOptDlg.h"

class CFormOptCase : public CFormOptDlg
{
    Q_OBJECT

public:
    CFormOptCase();

protected:
    // "Indent THEN from WHEN" only applies while When and Then are on separate lines.
    void ApplyEnablingRules() override;
};
