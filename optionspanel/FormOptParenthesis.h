// The "Parentheses" page of the options panel.
#pragma once

#include "FormOptDlg.h"

class CFormOptParenthesis : public CFormOptDlg
{
    Q_OBJECT

public:
    CFormOptParenthesis();

};
