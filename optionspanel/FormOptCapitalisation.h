// The "Capitalisation" page of the options panel.
#pragma once

#include "FormOptDlg.h"

class CFormOptCapitalisation : public CFormOptDlg
{
    Q_OBJECT

public:
    CFormOptCapitalisation();

};
