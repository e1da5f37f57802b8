// The options panel in the main window at its first start: every page shows
// whole, the panel keeps its width while the window changes size, a double
// click on a page's button only opens the page, and every option control says
// what it changes.
#include "PanelTest.h"

#include "MainFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
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
    // The window manager adds the title bar only after the window is placed.
    EXPECT_GE(m_pFrame->geometry().top() - available.top(), 30) << "room above for the title bar";
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

TEST_F(PanelFitTest, DoubleClickOnAPageButtonOnlyOpensThePage)
{
    // In a short window the Comments page opens with "Don't remove hints"
    // where its button was: the second click of a double click lands there.
    m_pFrame->resize(m_pFrame->width(), m_pFrame->minimumSizeHint().height());
    QWidget* comments = Box()->widget(6);
    ClickCheck(comments->findChild<QWidget*>("ctl1012")); // "Remove comments" enables the hints box
    auto* hints = comments->findChild<QCheckBox*>("ctl1013");
    QAbstractButton* button = Box()->findChildren<QAbstractButton*>("qt_toolbox_toolboxbutton").value(6);
    ASSERT_NE(button, nullptr);
    const QRect buttonPlace(button->mapToGlobal(QPoint(0, 0)), button->size());

    // Find the spot of the button that the hints box covers once the page is open.
    Box()->setCurrentIndex(6);
    QApplication::processEvents();
    const QRect overlap = buttonPlace & QRect(hints->mapToGlobal(QPoint(0, 0)), hints->size());
    ASSERT_FALSE(overlap.isEmpty());
    const QPoint spot(overlap.left() + 10, overlap.center().y());
    Box()->setCurrentIndex(0);
    QApplication::processEvents();
    const bool hintsChecked = hints->isChecked();

    QTest::mouseClick(button, Qt::LeftButton, {}, button->mapFromGlobal(spot));
    ASSERT_EQ(Box()->currentIndex(), 6);
    ASSERT_EQ(QApplication::widgetAt(spot), hints);
    // The second click of a double click: press, double click, release.
    const QPoint onHints = hints->mapFromGlobal(spot);
    QTest::mousePress(hints, Qt::LeftButton, {}, onHints);
    QTest::mouseDClick(hints, Qt::LeftButton, {}, onHints);
    QTest::mouseRelease(hints, Qt::LeftButton, {}, onHints);

    EXPECT_EQ(hints->isChecked(), hintsChecked);
    EXPECT_EQ(Box()->currentIndex(), 6);
    EXPECT_TRUE(button->findChildren<QLineEdit*>().empty()) << "no caption editor opens";
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(hints, Qt::LeftButton, {}, onHints);
    EXPECT_NE(hints->isChecked(), hintsChecked) << "later clicks reach the page";
}

TEST_F(PanelFitTest, PanelWidensWhenALargerFontWouldCutAPageShort)
{
    const QFont font = QApplication::font();
    QFont larger = font;
    larger.setPointSizeF(font.pointSizeF() * 1.3);
    QApplication::setFont(larger); // as the desktop's font size changes
    QApplication::processEvents();
    for (int i = 0; i < Box()->count(); ++i)
    {
        Box()->setCurrentIndex(i);
        QApplication::processEvents();
        EXPECT_GE(Area(i)->maximumViewportSize().width(), Box()->widget(i)->minimumSizeHint().width()) << i;
    }
    QApplication::setFont(font);
    QApplication::processEvents();
}

TEST_F(PanelFitTest, EveryOptionControlAndItsLabelSayWhatItChanges)
{
    for (CFormOptDlg* page : m_pFrame->Pages())
    {
        int controls = 0;
        for (QWidget* control : page->findChildren<QWidget*>(QRegularExpression("^ctl\\d+$")))
        {
            ++controls;
            EXPECT_GT(control->toolTip().size(), 20) << page->Caption().toStdString() << " "
                                                     << control->objectName().toStdString();
        }
        EXPECT_GT(controls, 0);
        for (QLabel* label : page->findChildren<QLabel*>())
            EXPECT_EQ(label->toolTip(), label->buddy() ? label->buddy()->toolTip() : QString())
                << label->text().toStdString();
    }
}

} // namespace
