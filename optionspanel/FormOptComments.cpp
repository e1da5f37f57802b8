#include "FormOptComments.h"

namespace {

using K = ControlKind;
using C = COptions::CComments;

const CControlTemplate kControls[] = {
    {K::GroupBox, 0, "Remove", 7, 7, 96, 52},
    {K::CheckBox, 1012, "Remove comments", 16, 21, 76, 10,
     "Leaves the comments out of the output."},
    {K::CheckBox, 1013, "Don't remove hints", 16, 40, 76, 10,
     "Keeps optimizer hints when comments are removed.\nSELECT /*+ INDEX(t) */ a"},
    {K::GroupBox, 0, "New line", 7, 63, 96, 73},
    {K::CheckBox, 1014, "Before comment", 16, 79, 73, 10,
     "Starts a new line before each comment."},
    {K::CheckBox, 1015, "After comment", 16, 99, 66, 10,
     "Starts a new line after each comment."},
    {K::CheckBox, 1016, "Like in SQL input", 16, 119, 74, 10,
     "Keeps a comment on a line of its own where it stood on a line of its own in the input."},
};

const CDialogTemplate kTemplate{317, "Comments", 234, 229, kControls};

template <auto Field>
constexpr auto CommentsField = OptionField<&COptions::m_Comments, Field>;

const COptionBinding kBindings[] = {
    CheckBinding(1012, CommentsField<&C::m_bRemoveComments>, true),
    CheckBinding(1013, CommentsField<&C::m_bDontRemoveHints>),
    CheckBinding(1014, CommentsField<&C::m_bCommentsOnNewLineBefore>),
    CheckBinding(1015, CommentsField<&C::m_bCommentsOnNewLineAfter>),
    CheckBinding(1016, CommentsField<&C::m_bCommentsOnNewLineLikeInInputSQL>),
};

} // namespace

CFormOptComments::CFormOptComments() : CFormOptDlg(kTemplate, kBindings) {}

void CFormOptComments::ApplyEnablingRules()
{
    const bool remove = Options().m_Comments.m_bRemoveComments;
    EnableDlgItem(1013, remove);
    EnableDlgItem(1014, !remove);
    EnableDlgItem(1015, !remove);
    EnableDlgItem(1016, !remove);
}
