#include "FormOptCapitalisation.h"

namespace {

using K = ControlKind;
using C = COptions::CCapitalisation;

// m_nDataTypes has no list of its own: data types keep their stored mode.
const CControlTemplate kControls[] = {
    {K::Static, 0, "Keywords", 7, 7, 105, 8},
    {K::List, 1011, "", 7, 17, 105, 30,
     "The case of SQL keywords.\nUppercase:  SELECT a FROM t"},
    {K::Static, 0, "Functions", 7, 35, 105, 8},
    {K::List, 1012, "", 7, 45, 105, 30,
     "The case of functions that are not Oracle's own, such as those of your packages.\nInitCap:  My_func (c)"},
    {K::Static, 0, "Standard functions", 7, 64, 105, 8},
    {K::List, 1014, "", 7, 74, 105, 30,
     "The case of Oracle's built-in functions.\nUppercase:  NVL (a, 0)"},
    {K::Static, 0, "Bind variables", 7, 93, 105, 8},
    {K::List, 1016, "", 7, 103, 105, 30,
     "The case of bind variables.\nUppercase:  WHERE id = :CUST_ID"},
    {K::Static, 0, "Comments", 7, 121, 105, 8},
    {K::List, 1017, "", 7, 131, 105, 30,
     "The case of the text of comments.\nNo Change keeps comments as written"},
    {K::Static, 0, "Others", 7, 150, 105, 8},
    {K::List, 1015, "", 7, 160, 105, 30,
     "The case of every other word: table, column and alias names.\nLowercase:  FROM employees e"},
};

const CDialogTemplate kTemplate{316, "Capitalisation", 220, 225, kControls};

template <auto Field>
constexpr auto CapField = OptionField<&COptions::m_Capitalisation, Field>;

const COptionBinding kBindings[] = {
    ValueListBinding(1011, CapField<&C::m_nKeywords>, kCapitalisationList),
    ValueListBinding(1012, CapField<&C::m_nFunctions>, kCapitalisationList),
    ValueListBinding(1014, CapField<&C::m_nStFunctions>, kCapitalisationList),
    ValueListBinding(1016, CapField<&C::m_nBindVars>, kCapitalisationList),
    ValueListBinding(1017, CapField<&C::m_nComments>, kCapitalisationList),
    ValueListBinding(1015, CapField<&C::m_nOther>, kCapitalisationList),
};

} // namespace

CFormOptCapitalisation::CFormOptCapitalisation() : CFormOptDlg(kTemplate, kBindings) {}
