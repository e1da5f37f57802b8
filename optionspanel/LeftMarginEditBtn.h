// The left-margin box of the main tool bar: an edit box that reports its
// command (32833) whenever the user changes its text, and that the program can
// fill without the box reporting anything.
#pragma once

#include <QWidgetAction>

class QLineEdit;

class CLeftMarginEditBtn : public QWidgetAction
{
    Q_OBJECT

public:
    static constexpr int kCommand = 32833;

    // width is the smallest width in pixels; the box grows to show "1000" whole.
    CLeftMarginEditBtn(QObject* parent, const QString& contents, int width = 25);
    ~CLeftMarginEditBtn() override;

    // The edit window on the tool bar, or null while the box is on none.
    QLineEdit* GetEditBox() const;
    // Puts text into the box; the box does not report its command for it.
    void SetContents(const QString& text);
    QString GetContents() const;

protected:
    QWidget* createWidget(QWidget* parent) override;

private:
    QString m_sContents;
    int m_nWidth;
};
