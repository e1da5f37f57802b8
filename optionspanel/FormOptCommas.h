// The "Commas" page of the options panel.
#pragma once

#include "FormOptDlg.h"

class CFormOptCommas : public CFormOptDlg
{
    Q_OBJECT

public:
    CFormOptCommas();

};
