#include "FormOptPlsql.h"

namespace {

using K = ControlKind;
using C = COptions::CPlsql;

const CControlTemplate kControls[] = {
    {K::GroupBox, 0, "Blocks", 7, 7, 150, 62},
    {K::CheckBox, 1018, "Layout of blocks and statements", 15, 22, 135, 10,
     "Gives PL/SQL blocks, declarations and control flow lines and indentation of their own; "
     "off, PL/SQL is written as plain words shaped by the SQL rules only.\nBEGIN\n  IF a THEN\n    b;\n  END IF;\nEND;"},
    {K::Static, 0, "Block indent (0 to 8)", 15, 44, 80, 8},
    {K::DigitEdit, 1019, "", 100, 42, 27, 14,
     "How many blanks what a PL/SQL block holds is indented from the block's first word.\n2:  BEGIN\n      NULL;\n    END;"},
};

const CDialogTemplate kTemplate{318, "PL/SQL", 200, 120, kControls};

template <auto Field>
constexpr auto PlsqlField = OptionField<&COptions::m_Plsql, Field>;

const COptionBinding kBindings[] = {
    CheckBinding(1018, PlsqlField<&C::m_bLayoutBlocks>, true),
    IntegerBinding(1019, PlsqlField<&C::m_nBlockIndent>),
};

} // namespace

CFormOptPlsql::CFormOptPlsql() : CFormOptDlg(kTemplate, kBindings) {}

void CFormOptPlsql::ApplyEnablingRules()
{
    EnableDlgItem(1019, Options().m_Plsql.m_bLayoutBlocks);
}
