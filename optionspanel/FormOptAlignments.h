// The "Alignments" page of the options panel.
#pragma once

#include "FormOptDlg.h"

class CFormOptAlignments : public CFormOptDlg
{
    Q_OBJECT

public:
    CFormOptAlignments();

};
