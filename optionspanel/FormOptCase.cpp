#include "FormOptCase.h"

namespace {

using K = ControlKind;
using C = COptions::CCase;

const CControlTemplate kControls[] = {
    {K::GroupBox, 0, "When/Then clause", 7, 7, 129, 79},
    {K::CheckBox, 1009, "WHEN and THEN on one line", 15, 22, 111, 10,
     "Writes THEN on the line of its WHEN.\nWHEN a = 1 THEN 'x'"},
    {K::Static, 0, "Indent WHEN from CASE", 15, 40, 91, 8},
    {K::DigitEdit, 1010, "", 99, 38, 27, 14,
     "How many blanks WHEN is indented from CASE.\n2:  CASE\n      WHEN a = 1"},
    {K::Static, 0, "Indent THEN from WHEN", 15, 61, 91, 8},
    {K::DigitEdit, 1011, "", 99, 59, 27, 14,
     "How many blanks THEN is indented from WHEN, when THEN starts a line of its own.\n2:  WHEN a = 1\n      THEN 'x'"},
};

const CDialogTemplate kTemplate{315, "Case", 246, 254, kControls};

template <auto Field>
constexpr auto CaseField = OptionField<&COptions::m_Case, Field>;

const COptionBinding kBindings[] = {
    CheckBinding(1009, CaseField<&C::m_bCaseWhenThenInSameLine>, true),
    IntegerBinding(1010, CaseField<&C::m_nIdentCaseFromSwitch>),
    IntegerBinding(1011, CaseField<&C::m_nIdentThenFromWhen>),
};

} // namespace

CFormOptCase::CFormOptCase() : CFormOptDlg(kTemplate, kBindings) {}

void CFormOptCase::ApplyEnablingRules()
{
    EnableDlgItem(1011, !Options().m_Case.m_bCaseWhenThenInSameLine);
}
