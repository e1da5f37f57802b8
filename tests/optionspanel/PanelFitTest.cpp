// The options panel in the main window at its first start: every page shows
// whole, and the panel keeps its width while the window changes size.
#include "PanelTest.h"

#include "MainFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBox>

namespace {

class PanelFitTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pDoc = std::make_unique<CQuillmarkDoc>(&TestStore());
        m_pFrame = std::make_unique<CMainFrame>(m_pDoc.get());
        ASSERT_TRUE(m_pFrame->IsCreated());
        m_pFrame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pFrame.get()));
    }
    void TearDown() override
    {
        m_pFrame->close();
        m_pFrame.reset();
        m_pDoc.reset();
    }
    QToolBox* Box() { return m_pFrame->OutlookBar().GetUnderlyingWindow(); }
    QScrollArea* Area(int page) { return qobject_cast<QScrollArea*>(Box()->widget(page)->parentWidget()->parentWidget()); }

    std::unique_ptr<CQuillmarkDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
};

TEST_F(PanelFitTest, FirstStartShowsEveryPageWhole)
{
    const QRect available = m_pFrame->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(m_pFrame->frameGeometry())) << "the window fits the screen";
    for (int i = 0; i < Box()->count(); ++i)
    {
        Box()->setCurrentIndex(i);
        QApplication::processEvents();
        QScrollArea* area = Area(i);
        ASSERT_NE(area, nullptr);
        QWidget* viewport = area->viewport();
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible()) << i;
        EXPECT_FALSE(area->verticalScrollBar()->isVisible()) << i;
        for (QWidget* control : Box()->widget(i)->findChildren<QWidget*>())
        {
            if (!control->isVisibleTo(viewport) || control->parentWidget()->inherits("QComboBox"))
                continue;
            const QRect shown(control->mapTo(viewport, QPoint(0, 0)), control->size());
            EXPECT_TRUE(viewport->rect().contains(shown))
                << "page " << i << ": " << control->metaObject()->className() << " "
                << control->objectName().toStdString() << " lies outside the visible area";
        }
    }
}

// The window's width in steps; the panel's width and the editors' after each.
struct CWidthStep
{
    const char* m_sName;
    int m_nWindowChange;   // pixels added to the window's width at the first start
    bool m_bPanelKeepsWidth; // else the panel gives way to the editors' least width
};

class PanelWidthSteps : public PanelFitTest, public testing::WithParamInterface<std::vector<CWidthStep>> {};

TEST_P(PanelWidthSteps, EditorsTakeTheChangeUntilTheirLeastWidth)
{
    const int startWidth = m_pFrame->width();
    const int panel = m_pFrame->OutlookBar().width();
    const int editors = m_pFrame->GetView()->width();
    for (const CWidthStep& step : GetParam())
    {
        m_pFrame->resize(startWidth + step.m_nWindowChange, m_pFrame->height());
        QApplication::processEvents();
        if (step.m_bPanelKeepsWidth)
        {
            EXPECT_EQ(m_pFrame->OutlookBar().width(), panel) << step.m_sName;
            EXPECT_EQ(m_pFrame->GetView()->width(), editors + step.m_nWindowChange) << step.m_sName;
        }
        else
        {
            EXPECT_LT(m_pFrame->OutlookBar().width(), panel) << step.m_sName;
            EXPECT_EQ(m_pFrame->GetView()->width(), m_pFrame->GetView()->minimumWidth()) << step.m_sName;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Window, PanelWidthSteps,
    testing::Values(std::vector<CWidthStep>{{"Wider", 300, true}, {"Back", 0, true}},
                    std::vector<CWidthStep>{{"NarrowerEditors", -200, true}, {"Back", 0, true}},
                    std::vector<CWidthStep>{{"PastTheEditorsLeast", -800, false}, {"BackTakesThePanelWidth", 0, true}}),
    [](const auto& info) { return std::string(info.param.front().m_sName); });

TEST_F(PanelFitTest, PanelKeepsAWidthTheUserChose)
{
    const int chosen = m_pFrame->OutlookBar().width() - 100;
    m_pFrame->resizeDocks({&m_pFrame->OutlookBar()}, {chosen}, Qt::Horizontal); // as a drag of the splitter
    QApplication::processEvents();
    const int startWidth = m_pFrame->width();
    for (int change : {-900, 200, 0})
    {
        m_pFrame->resize(startWidth + change, m_pFrame->height());
        QApplication::processEvents();
    }
    EXPECT_EQ(m_pFrame->OutlookBar().width(), chosen);
}

} // namespace
