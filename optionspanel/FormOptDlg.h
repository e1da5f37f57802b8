// The base of the eight option pages: a borderless child page built from its
// template whose every control writes its option field at once and re-runs the
// last Format or Capitalise command on the text of that run.
#pragma once

#include "DialogTemplate.h"

#include <map>
#include <span>

#include <QWidget>

class CQuillmarkDoc;
class COptions;
class QComboBox;
class QCheckBox;
class QLineEdit;

class CFormOptDlg : public QWidget
{
    Q_OBJECT

public:
    CFormOptDlg(const CDialogTemplate& dialogTemplate, std::span<const COptionBinding> bindings);

    // Builds the page's controls as a child of parent, fills them from the
    // options and shows the page. m_pDoc must be set before.
    bool Create(QWidget* parent);

    // The document re-runs its last command with the changed options.
    void ApplyOptionChange();

    int TemplateId() const { return m_Template.m_nId; }
    QString Caption() const { return QString::fromUtf8(m_Template.m_sCaption); }
    // The control with that identifier, or null.
    QWidget* GetDlgItem(int id) const;

    CQuillmarkDoc* m_pDoc = nullptr;

protected:
    // Enables and disables controls from the current option values; pages
    // without rules keep this empty one.
    virtual void ApplyEnablingRules() {}
    void EnableDlgItem(int id, bool enable) const;
    COptions& Options() const;

    // Swallows Enter and Escape typed anywhere in the page, so that the page
    // is neither closed nor told about them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void OnInitDialog();
    void ConnectHandlers();
    void OnControlChanged(const COptionBinding& binding);

    const CDialogTemplate& m_Template;
    std::span<const COptionBinding> m_aBindings;
    std::map<int, QWidget*> m_aControls;
};

// Whether a key press is one that the pages swallow (Enter, Return, Escape).
bool IsPageSwallowedKey(int key);
