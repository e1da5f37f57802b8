#include "FormOptCommas.h"

namespace {

using K = ControlKind;
using C = COptions::CCommas;

const CControlTemplate kControls[] = {
    {K::Static, 0, "Wrapped style commas in lists", 7, 7, 105, 8},
    {K::List, 1006, "", 7, 20, 105, 47,
     "The blanks around the commas of lists kept on one line.\nBefore: (1 ,2)   After: (1, 2)   Before and after: (1 , 2)"},
    {K::Static, 0, "Stacked style commas in lists", 7, 40, 105, 8},
    {K::List, 1007, "", 7, 53, 105, 47,
     "Where the comma goes in stacked lists inside parentheses.\nAfter: 1,   Before: ,2   Before with space: , 2"},
    {K::GroupBox, 0, "Stacked list style when", 7, 73, 127, 60},
    {K::Static, 0, "List length more than", 16, 90, 72, 8},
    {K::DigitEdit, 1013, "", 94, 88, 27, 14,
     "A list in parentheses this many characters long or longer is stacked, one item per line; shorter lists stay on one line.\n0 stacks every list"},
    {K::Static, 0, "Right margin more than", 16, 109, 78, 8},
    {K::DigitEdit, 1014, "", 94, 107, 27, 14,
     "A list in parentheses that starts at this column or further right is stacked, one item per line. Not kept: 100 at every start."},
};

const CDialogTemplate kTemplate{313, "Commas", 241, 201, kControls};

template <auto Field>
constexpr auto CommasField = OptionField<&COptions::m_Commas, Field>;

// m_nRightMarginLength is edited like the others but is never stored: it
// starts at its default on every run.
const COptionBinding kBindings[] = {
    ValueListBinding(1006, CommasField<&C::m_nSpace>, kCommaSpacingList),
    CommaPositionBinding(1007, CommasField<&C::m_nListComma>),
    IntegerBinding(1013, CommasField<&C::m_nStackedWrappedLength>),
    IntegerBinding(1014, CommasField<&C::m_nRightMarginLength>),
};

} // namespace

CFormOptCommas::CFormOptCommas() : CFormOptDlg(kTemplate, kBindings) {}
