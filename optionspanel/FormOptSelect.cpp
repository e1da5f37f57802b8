#include "FormOptSelect.h"

namespace {

using K = ControlKind;
using S = COptions::CSelect;

const CControlTemplate kControls[] = {
    {K::GroupBox, 0, "Select list", 7, 7, 128, 92},
    {K::Static, 0, "Select column list style", 15, 20, 111, 8},
    {K::List, 1003, "", 15, 32, 111, 30,
     "Stacked puts each column of the select list on a line of its own; Wrapped keeps them on one line.\nWrapped:  SELECT a, b, c"},
    {K::Static, 0, "Select column list comma", 15, 51, 111, 8},
    {K::List, 1004, "", 15, 63, 111, 45,
     "Where the comma goes between stacked columns of the select list.\nAfter: a,   Before: ,b   Before with space: , b"},
    {K::CheckBox, 1005, "Align columns after Distinct", 15, 82, 102, 10,
     "With the comma after each column, lines the columns up under the first one after DISTINCT.\nSELECT DISTINCT a,\n                b"},
    {K::GroupBox, 0, "From clause/Join clause", 143, 7, 128, 93},
    {K::Static, 0, "From clause column list style", 151, 20, 111, 8},
    {K::List, 1006, "", 151, 32, 111, 30,
     "Stacked puts each table of the FROM clause on a line of its own; Wrapped keeps them on one line.\nWrapped:  FROM t1, t2, t3"},
    {K::Static, 0, "From clause column list comma", 151, 51, 111, 8},
    {K::List, 1007, "", 151, 63, 111, 45,
     "Where the comma goes between stacked tables of the FROM clause.\nAfter: t1,   Before: ,t2   Before with space: , t2"},
    {K::GroupBox, 0, "Order By clause", 7, 102, 128, 79},
    {K::Static, 0, "Order By clause column list style", 15, 116, 111, 8},
    {K::List, 1011, "", 15, 126, 111, 30,
     "Stacked puts each item of ORDER BY on a line of its own; Wrapped keeps them on one line.\nWrapped:  ORDER BY b, a"},
    {K::Static, 0, "Order By clause column list comma", 15, 145, 111, 8},
    {K::List, 1012, "", 15, 156, 111, 45,
     "Where the comma goes between stacked items of ORDER BY.\nAfter: b,   Before: ,a   Before with space: , a"},
    {K::GroupBox, 0, "Group By clause", 143, 102, 128, 78},
    {K::Static, 0, "Group By clause column list style", 151, 116, 111, 8},
    {K::List, 1009, "", 151, 126, 111, 30,
     "Stacked puts each item of GROUP BY on a line of its own; Wrapped keeps them on one line.\nWrapped:  GROUP BY a, b"},
    {K::Static, 0, "Group By clause column list comma", 151, 146, 111, 8},
    {K::List, 1010, "", 151, 156, 111, 45,
     "Where the comma goes between stacked items of GROUP BY.\nAfter: a,   Before: ,b   Before with space: , b"},
    {K::GroupBox, 0, "With clause", 7, 184, 127, 62},
    {K::Static, 0, "With clause column list comma", 15, 198, 111, 8},
    {K::List, 1013, "", 15, 209, 111, 45,
     "Where the comma goes between the named queries of a WITH clause.\nAfter: x AS (...),   Before: , y AS (...)"},
    {K::CheckBox, 1008, "New line before AS", 15, 228, 77, 10,
     "Puts the AS of each named query of a WITH clause on a line of its own, below the name.\n  WITH x\n    AS (SELECT ...)"},
};

const CDialogTemplate kTemplate{312, "Select", 278, 316, kControls};

template <auto Field>
constexpr auto SelectField = OptionField<&COptions::m_Select, Field>;

const COptionBinding kBindings[] = {
    ListStyleBinding(1003, SelectField<&S::m_bSelectColumnListStyle>, true),
    CommaPositionBinding(1004, SelectField<&S::m_nColumnListComma>),
    CheckBinding(1005, SelectField<&S::m_bAlignColumnsAfterDistinct>),
    ListStyleBinding(1006, SelectField<&S::m_bFromClauseStyle>, true),
    CommaPositionBinding(1007, SelectField<&S::m_nFromListComma>),
    ListStyleBinding(1011, SelectField<&S::m_bOrderByClauseStyle>, true),
    CommaPositionBinding(1012, SelectField<&S::m_nOrderByListComma>),
    ListStyleBinding(1009, SelectField<&S::m_bGroupByClauseStyle>, true),
    CommaPositionBinding(1010, SelectField<&S::m_nGroupByListComma>),
    CommaPositionBinding(1013, SelectField<&S::m_nWithListComma>),
    CheckBinding(1008, SelectField<&S::m_bNewLineBeforeAsKeyword>),
};

} // namespace

CFormOptSelect::CFormOptSelect() : CFormOptDlg(kTemplate, kBindings) {}

void CFormOptSelect::ApplyEnablingRules()
{
    const COptions::CSelect& select = Options().m_Select;
    EnableDlgItem(1004, !select.m_bSelectColumnListStyle);
    EnableDlgItem(1005, !select.m_bSelectColumnListStyle);
    EnableDlgItem(1007, !select.m_bFromClauseStyle);
    EnableDlgItem(1012, !select.m_bOrderByClauseStyle);
    EnableDlgItem(1010, !select.m_bGroupByClauseStyle);
    EnableDlgItem(1013, true);
    EnableDlgItem(1008, true);
}
