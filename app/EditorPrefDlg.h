// The editor preference sheet: tab width and margins, the font, and the
// colours of the SQL scheme for the paper of the current visual style (light
// or dark). Works on a copy of the settings; the caller takes them on OK.
#pragma once

#include "EditorSettings.h"

#include <QDialog>

class QCheckBox;
class QFontComboBox;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;

class CEditorPrefDlg : public QDialog
{
    Q_OBJECT
public:
    CEditorPrefDlg(const CEditorSettings& settings, QWidget* pParent = nullptr);

    // The settings as the dialog's controls hold them now.
    CEditorSettings Settings() const;

    QSpinBox* m_pTabWidth;
    QCheckBox* m_pLineNumbers;
    QCheckBox* m_pSelMargin;
    QFontComboBox* m_pFont;
    QSpinBox* m_pFontSize;
    QListWidget* m_pColours;

private:
    QWidget* CreateEditorPage();
    QWidget* CreateFontPage();
    QWidget* CreateColourPage();
    void ChooseColour();
    void UpdateSample();

    CEditorSettings m_Settings;
    bool m_bDarkPaper; // the colours shown are those for a dark paper
    QPlainTextEdit* m_pSample = nullptr;
};
