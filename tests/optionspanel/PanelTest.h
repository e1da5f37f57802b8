// What the options panel's tests share: the application object they run in
// (PanelTestMain.cpp) with its in-memory settings store, a document with its
// tab view, and user-like ways to drive lists, check boxes and edit boxes.
#pragma once

#include "AppStrings.h"
#include "LeftMarginEditBtn.h"
#include "MainFrame.h"
#include "ProfileStore.h"
#include "QtTestHome.h"
#include "QuillmarkDoc.h"
#include "QuillmarkView.h"
#include "SQLView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>


// Answers every message box with "No" so that closing a window never waits.
void AnswerMessageBoxesNo();

// A document with its tab view, as the frame would make them.
class CDocumentTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pDoc = std::make_unique<CQuillmarkDoc>(&TestStore());
        m_pView = std::make_unique<CQuillmarkView>(m_pDoc.get());
    }

    COptions& Options() { return m_pDoc->Options(); }
    CSQLView& Editor(const QString& label) { return *m_pView->FindTabView(label); }
    void SetInput(const QString& text) { Editor(AppStrings::kInputTab).setText(text); }
    void SetOutput(const QString& text) { Editor(AppStrings::kOutputTab).setText(text); }
    QString Output() { return Editor(AppStrings::kOutputTab).text(); }

    // Declared in this order so that the view goes before its document.
    std::unique_ptr<CQuillmarkDoc> m_pDoc;
    std::unique_ptr<CQuillmarkView> m_pView;
};

// The whole main window over a document of its own, shown, with user-like ways
// to reach its menu items, tool buttons and status panes.
class MainFrameTest : public testing::Test
{
protected:
    void SetUp() override { Open(); }
    void TearDown() override { Close(); }

    void Open()
    {
        m_pDoc = std::make_unique<CQuillmarkDoc>(&TestStore());
        m_pFrame = std::make_unique<CMainFrame>(m_pDoc.get());
        ASSERT_TRUE(m_pFrame->IsCreated());
        m_pFrame->show();
    }
    void Close()
    {
        if (m_pFrame)
            m_pFrame->close();
        m_pFrame.reset();
        m_pDoc.reset();
    }

    CSQLView& Editor(const QString& label) { return *m_pFrame->GetView()->FindTabView(label); }
    CSQLView& Input() { return Editor(AppStrings::kInputTab); }
    CSQLView& Output() { return Editor(AppStrings::kOutputTab); }
    COptions& Options() { return m_pDoc->Options(); }
    int32_t& Margin() { return Options().m_General.m_nLeftMargin; }
    QLineEdit* MarginEdit() { return m_pFrame->MarginBox()->GetEditBox(); }
    QString Workspace(const char* name)
    {
        return QString::fromStdString(TestStore().GetString("Workspace", name).value_or("<none>"));
    }
    QAction* MenuItem(const QString& menuTitle, const QString& text)
    {
        for (QAction* menu : m_pFrame->menuBar()->actions())
            if (menu->text() == menuTitle && menu->menu())
                for (QAction* item : menu->menu()->actions())
                    if (item->text() == text)
                        return item;
        return nullptr;
    }
    QToolButton* ToolButton(int command)
    {
        return qobject_cast<QToolButton*>(m_pFrame->ToolBar()->widgetForAction(m_pFrame->Action(command)));
    }
    QString PaneText(int id)
    {
        auto* label = qobject_cast<QLabel*>(m_pFrame->StatusPane(id));
        return label ? label->text() : QStringLiteral("<no pane>");
    }

    std::unique_ptr<CQuillmarkDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
};

// The user picks item index of a list (as a click in its drop-down does).
inline void ChooseItem(QWidget* control, int index)
{
    auto* list = qobject_cast<QComboBox*>(control);
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// The user clicks a check box.
inline void ClickCheck(QWidget* control)
{
    auto* check = qobject_cast<QCheckBox*>(control);
    ASSERT_NE(check, nullptr);
    check->click();
}

inline QString ListText(QWidget* control)
{
    auto* list = qobject_cast<QComboBox*>(control);
    return list ? list->currentText() : QStringLiteral("<not a list>");
}

inline QStringList ListItems(QWidget* control)
{
    QStringList items;
    if (auto* list = qobject_cast<QComboBox*>(control))
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
    return items;
}

inline QLineEdit* Edit(QWidget* control)
{
    return qobject_cast<QLineEdit*>(control);
}

// Named table rows print as their names in test listings; a test file brings
// this into its own namespace with "using ::PrintTo;".
template <class Row>
    requires requires(const Row& row) { row.m_sName; }
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.m_sName;
}

// Lets gtest print QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
