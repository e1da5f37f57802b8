#include "FormOptParenthesis.h"

namespace {

using K = ControlKind;

const CControlTemplate kControls[] = {
    {K::Static, 0, "Spacing", 7, 7, 105, 8},
    {K::List, 1008, "", 7, 17, 105, 30,
     "The blanks around parentheses.\nCompact: IN(1, 2)   Space before: IN (1, 2)\nSpace inside: IN( 1, 2 )   Both: IN ( 1, 2 )"},
};

const CDialogTemplate kTemplate{314, "Parentheses", 210, 188, kControls};

const COptionBinding kBindings[] = {
    ValueListBinding(1008, OptionField<&COptions::m_Parentheses, &COptions::CParentheses::m_nSpace>,
                     kParenSpacingList),
};

} // namespace

CFormOptParenthesis::CFormOptParenthesis() : CFormOptDlg(kTemplate, kBindings) {}
