// The window that hosts one option page inside the options panel: it keeps the
// page at its own width and 5 pixels short of its height, asks for the room
// the page's layout needs, and paints the background the page does not cover.
#pragma once

#include <QWidget>

class CFormOptDlg;

class CFormOptPane : public QWidget
{
    Q_OBJECT

public:
    CFormOptPane() = default;

    // Creates the pane as a child of parent and builds the page inside it.
    // Returns whether the pane window was made.
    virtual bool Create(const QRect& rect, QWidget* parent, CFormOptDlg* page, int templateId, int id);

    CFormOptDlg* m_pPage = nullptr; // not owned: the frame owns its pages

    int Id() const { return m_nId; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_nId = 0;
};
