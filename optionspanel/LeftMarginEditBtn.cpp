#include "LeftMarginEditBtn.h"

#include <QFontMetrics>
#include <QLineEdit>

CLeftMarginEditBtn::CLeftMarginEditBtn(QObject* parent, const QString& contents, int width)
    : QWidgetAction(parent), m_sContents(contents), m_nWidth(width)
{
    setData(kCommand);
    setObjectName(QStringLiteral("command%1").arg(kCommand));
    setText(tr("Left margin"));
    setToolTip(tr("Left margin"));
    setStatusTip(tr("Left margin of the output in blanks, 0 to 1000"));
}

CLeftMarginEditBtn::~CLeftMarginEditBtn() = default;

QWidget* CLeftMarginEditBtn::createWidget(QWidget* parent)
{
    auto* edit = new QLineEdit(m_sContents, parent);
    edit->setObjectName(QStringLiteral("LeftMarginEdit"));
    edit->setAlignment(Qt::AlignRight);
    edit->setToolTip(toolTip());
    edit->setStatusTip(statusTip());
    const QFontMetrics metrics(edit->font());
    edit->setFixedWidth(std::max(m_nWidth, metrics.horizontalAdvance(QStringLiteral("10000")) + 8));
    // Only the user's own edits report the command; setText() emits textEdited never.
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_sContents = text;
        trigger();
    });
    return edit;
}

QLineEdit* CLeftMarginEditBtn::GetEditBox() const
{
    for (QWidget* widget : createdWidgets())
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            return edit;
    return nullptr;
}

void CLeftMarginEditBtn::SetContents(const QString& text)
{
    m_sContents = text;
    for (QWidget* widget : createdWidgets())
        if (auto* edit = qobject_cast<QLineEdit*>(widget); edit && edit->text() != text)
            edit->setText(text);
}

QString CLeftMarginEditBtn::GetContents() const
{
    if (QLineEdit* edit = GetEditBox())
        return edit->text();
    return m_sContents;
}
