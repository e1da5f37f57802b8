// The main window: the tab view as its client, the File and Format menus, and
// the routing of the Format and Capitalise commands to the tab view.
#pragma once

#include <QMainWindow>

class CQuillmarkDoc;
class CQuillmarkView;

class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(CQuillmarkDoc* pDoc, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    CQuillmarkView* GetView() const { return m_pView; }

    void OnFormat();
    void OnCapitalise();

    CQuillmarkDoc* m_pDoc;

protected:
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void CreateActions();
    void UpdateTitle();

    CQuillmarkView* m_pView;
};
