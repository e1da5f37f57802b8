#include "FormOptAlignments.h"

namespace {

using K = ControlKind;

const CControlTemplate kControls[] = {
    {K::Static, 0, "Keyword align in select/delete/update/insert", 7, 7, 169, 8},
    {K::List, 1002, "", 7, 20, 106, 69,
     "Lines up SELECT, FROM, WHERE and the other clause keywords on their right or on their left edge.\nRight:  SELECT a      Left:  SELECT a\n          FROM t             FROM   t"},
    {K::CheckBox, 1014, "Autodetect left margin", 7, 45, 106, 10,
     "Takes the left margin from the indentation of the input on every run, instead of the margin in the tool bar's box.\nInput indented 4 blanks gives output indented 4 blanks"},
};

const CDialogTemplate kTemplate{311, "Alignments", 183, 190, kControls};

const COptionBinding kBindings[] = {
    BoolListBinding(1002, OptionField<&COptions::m_Alignment, &COptions::CAlignment::m_bRight>,
                    kKeywordAlignmentList),
    CheckBinding(1014, OptionField<&COptions::m_General, &COptions::CGeneral::m_bAutoDetectLeftMargin>),
};

} // namespace

CFormOptAlignments::CFormOptAlignments() : CFormOptDlg(kTemplate, kBindings) {}
