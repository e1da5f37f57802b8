#include "FormOptDlg.h"

#include "InterfaceBehavior.h"
#include "PageLayout.h"
#include "QuillmarkDoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

QWidget* MakeControl(const CControlTemplate& control, QWidget* parent)
{
    const QString text = QString::fromUtf8(control.m_sText);
    switch (control.m_nKind)
    {
    case ControlKind::Static:
        return new QLabel(text, parent);
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::List:
    {
        auto* list = new QComboBox(parent);
        list->setEditable(false);
        return list;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::DigitEdit:
    {
        auto* edit = new QLineEdit(parent);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        return edit;
    }
    }
    return nullptr;
}

// A template's tip as rich text: the first line says what the control
// changes, the lines after it are an example in a fixed-pitch font, whose
// columns must line up.
QString ToolTipHtml(const char* tip)
{
    const QString text = QString::fromUtf8(tip);
    const qsizetype lineEnd = text.indexOf(u'\n');
    QString html = QStringLiteral("<p>%1</p>").arg(text.left(lineEnd).toHtmlEscaped());
    if (lineEnd >= 0)
        html += QStringLiteral("<pre>%1</pre>").arg(text.mid(lineEnd + 1).toHtmlEscaped());
    return html;
}

} // namespace

bool IsPageSwallowedKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

CFormOptDlg::CFormOptDlg(const CDialogTemplate& dialogTemplate, std::span<const COptionBinding> bindings)
    : m_Template(dialogTemplate), m_aBindings(bindings)
{
}

bool CFormOptDlg::Create(QWidget* parent)
{
    if (!m_pDoc)
        return false;
    setParent(parent);
    // A page created again is filled again, but its controls and handlers stay.
    const bool firstTime = m_aControls.empty();
    if (firstTime)
        BuildControls();
    OnInitDialog();
    if (firstTime)
        ConnectHandlers();
    show();
    return true;
}

QWidget* CFormOptDlg::GetDlgItem(int id) const
{
    auto it = m_aControls.find(id);
    return it == m_aControls.end() ? nullptr : it->second;
}

void CFormOptDlg::EnableDlgItem(int id, bool enable) const
{
    if (QWidget* control = GetDlgItem(id))
        control->setEnabled(enable);
}

COptions& CFormOptDlg::Options() const
{
    return m_pDoc->Options();
}

void CFormOptDlg::BuildControls()
{
    setObjectName(QStringLiteral("page%1").arg(m_Template.m_nId));
    std::vector<QWidget*> widgets;
    QLabel* pendingLabel = nullptr;
    for (const CControlTemplate& control : m_Template.m_aControls)
    {
        QWidget* widget = MakeControl(control, this);
        if (control.m_sToolTip)
            widget->setToolTip(ToolTipHtml(control.m_sToolTip));
        if (control.m_nId != 0)
        {
            widget->setObjectName(QStringLiteral("ctl%1").arg(control.m_nId));
            m_aControls[control.m_nId] = widget;
            if (pendingLabel)
            {
                pendingLabel->setBuddy(widget);
                pendingLabel->setToolTip(widget->toolTip());
            }
        }
        pendingLabel = control.m_nKind == ControlKind::Static ? static_cast<QLabel*>(widget) : nullptr;
        widget->installEventFilter(this);
        widgets.push_back(widget);
    }
    LayOutPage(*this, m_Template.m_aControls, widgets);
    installEventFilter(this);
}

void CFormOptDlg::OnInitDialog()
{
    COptions& options = Options();
    CInterfaceBehavior behaviour;
    for (const COptionBinding& binding : m_aBindings)
    {
        QWidget* control = GetDlgItem(binding.m_nId);
        switch (binding.m_nKind)
        {
        case BindingKind::CheckBox:
            static_cast<QCheckBox*>(control)->setChecked(binding.m_pBool(options));
            break;
        case BindingKind::BoolList:
            FillValueList(*static_cast<QComboBox*>(control), *binding.m_pItems, binding.m_pBool(options) ? 1 : 0);
            break;
        case BindingKind::ValueList:
            FillValueList(*static_cast<QComboBox*>(control), *binding.m_pItems, binding.m_pInt(options));
            break;
        case BindingKind::ListStyle:
            behaviour.FillListStyleCombo(*static_cast<QComboBox*>(control), binding.m_pBool(options));
            break;
        case BindingKind::CommaPosition:
            behaviour.FillCommaPositionCombo(*static_cast<QComboBox*>(control), binding.m_pInt(options));
            break;
        case BindingKind::Integer:
            static_cast<QLineEdit*>(control)->setText(QString::number(binding.m_pInt(options)));
            break;
        }
    }
    ApplyEnablingRules();
}

void CFormOptDlg::ConnectHandlers()
{
    for (const COptionBinding& binding : m_aBindings)
    {
        QWidget* control = GetDlgItem(binding.m_nId);
        auto handler = [this, &binding] { OnControlChanged(binding); };
        if (auto* list = qobject_cast<QComboBox*>(control))
            connect(list, &QComboBox::activated, this, handler);
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            connect(check, &QCheckBox::clicked, this, handler);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, handler);
    }
}

void CFormOptDlg::OnControlChanged(const COptionBinding& binding)
{
    COptions& options = Options();
    CInterfaceBehavior behaviour;
    QWidget* control = GetDlgItem(binding.m_nId);
    switch (binding.m_nKind)
    {
    case BindingKind::CheckBox:
        binding.m_pBool(options) = static_cast<QCheckBox*>(control)->isChecked();
        break;
    case BindingKind::BoolList:
        binding.m_pBool(options) = static_cast<QComboBox*>(control)->currentIndex() != 0;
        break;
    case BindingKind::ValueList:
        ReadValueList(*static_cast<QComboBox*>(control), *binding.m_pItems, binding.m_pInt(options));
        break;
    case BindingKind::ListStyle:
        binding.m_pBool(options) = behaviour.ReadListStyle(*static_cast<QComboBox*>(control));
        break;
    case BindingKind::CommaPosition:
        behaviour.ReadCommaPosition(*static_cast<QComboBox*>(control), binding.m_pInt(options));
        break;
    case BindingKind::Integer:
        binding.m_pInt(options) = TextToInt(static_cast<QLineEdit*>(control)->text());
        break;
    }
    if (binding.m_bRunsEnablingRules)
        ApplyEnablingRules();
    ApplyOptionChange();
}

void CFormOptDlg::ApplyOptionChange()
{
    if (m_pDoc)
        m_pDoc->RerunLastCommand();
}

bool CFormOptDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
    {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsPageSwallowedKey(key->key()))
        {
            // A list's open drop-down still closes with Escape: it is its own window.
            event->accept();
            return event->type() == QEvent::KeyPress;
        }
    }
    return QWidget::eventFilter(watched, event);
}
