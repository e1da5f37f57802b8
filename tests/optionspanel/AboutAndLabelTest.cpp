// The About box and the label it uses: the version line, the logo, the links,
// and the label's link targets, gradient bands, blinking and font changes.
#include "PanelTest.h"

#include "AboutDlg.h"
#include "Label.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <cstdlib>

namespace {

using ::PrintTo;

TEST(AboutDlg, ShowsVersionLogoAndLinks)
{
    CAboutDlg about;
    about.show();
    EXPECT_EQ(about.VersionLabel()->text(), "Version 1.1") << "the run-time text replaces the template's";
    EXPECT_TRUE(about.VersionLabel()->IsTransparent());
    ASSERT_FALSE(about.Logo().isNull());
    EXPECT_EQ(about.Logo().size(), QSize(203, 44));

    const struct
    {
        int m_nId;
        const char* m_sTip;
        const char* m_sScheme;
    } links[] = {{1042, "Web", "https:"}, {1043, "Sales", "mailto:"}, {1044, "Support", "mailto:"}};
    for (const auto& link : links)
    {
        QPushButton* button = about.LinkButton(link.m_nId);
        ASSERT_NE(button, nullptr) << link.m_nId;
        EXPECT_EQ(button->toolTip(), link.m_sTip);
        EXPECT_TRUE(CAboutDlg::LinkTarget(link.m_nId).startsWith(link.m_sScheme)) << link.m_nId;
        QLabel* caption = about.LinkCaption(link.m_nId);
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->text(), link.m_sTip);
        EXPECT_LE(std::abs(caption->geometry().center().y() - button->geometry().center().y()), 1)
            << link.m_sTip << ": the caption stands on its link's line";
        EXPECT_EQ(button->x(), about.LinkButton(1042)->x()) << link.m_sTip << ": the links start in one column";
    }
}

TEST(AboutDlg, LogoIsDrawnAtItsFixedPlace)
{
    CAboutDlg about;
    about.show();
    const QImage image = about.grab().toImage();
    const QRect logo(CAboutDlg::kLogoPosition, about.Logo().size());
    auto inkIn = [&image](const QRect& area) {
        int ink = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                ink += QColor(image.pixel(x, y)).lightness() < 128;
        return ink;
    };
    EXPECT_GT(inkIn(logo), 100) << "the logo is drawn there";
    EXPECT_EQ(inkIn(QRect(0, logo.top(), logo.left(), logo.height())), 0) << "and nothing left of it";
}

struct CLinkCase
{
    const char* m_sName;
    int m_nMode; // 1 web, 2 mail, 0 none
    const char* m_sTarget;
    const char* m_sOpens;
};

class LabelLinks : public testing::TestWithParam<CLinkCase> {};

TEST_P(LabelLinks, OpenWhatTheModeSays)
{
    const CLinkCase& row = GetParam();
    CLabel label("sales@example.org");
    if (row.m_nMode == CLabel::LinkWeb)
        label.SetWebLink(true);
    else if (row.m_nMode == CLabel::LinkMail)
        label.SetMailLink(true);
    label.SetLinkTarget(QString::fromUtf8(row.m_sTarget));
    EXPECT_EQ(label.LinkToOpen(), QString::fromUtf8(row.m_sOpens));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LabelLinks,
    testing::Values(CLinkCase{"WebWithoutTargetOpensItsText", 1, "", "sales@example.org"},
                    CLinkCase{"WebOpensItsTarget", 1, "https://example.org/", "https://example.org/"},
                    CLinkCase{"MailAlwaysOpensMailtoText", 2, "https://example.org/", "mailto:sales@example.org"},
                    CLinkCase{"NoLinkOpensNothing", 0, "https://example.org/", ""}),
    [](const testing::TestParamInfo<CLinkCase>& info) { return std::string(info.param.m_sName); });

TEST(Label, ClickWithNotifyTargetNotifiesInsteadOfOpening)
{
    QWidget parent;
    CLabel label("text", &parent);
    label.setProperty("controlId", 1047);
    label.SetWebLink(true, &parent);
    QSignalSpy notified(&label, &CLabel::Notify);
    QTest::mouseClick(&label, Qt::LeftButton);
    ASSERT_EQ(notified.count(), 1);
    EXPECT_EQ(notified.at(0).at(1).toInt(), 1047);
    EXPECT_EQ(notified.at(0).at(2).toInt(), CLabel::kClickNotification);
    label.SetWebLink(false);
    EXPECT_EQ(label.LinkModeValue(), CLabel::LinkNone);
}

struct CBandCase
{
    const char* m_sName;
    int m_nWidth;
    int m_nBands;
};

class GradientBands : public testing::TestWithParam<CBandCase> {};

TEST_P(GradientBands, CoverTheRectangle)
{
    const CBandCase& row = GetParam();
    const QRect rect(3, 0, row.m_nWidth, 10);
    const auto bands = CLabel::GradientBands(rect, QColor(0, 0, 0), QColor(200, 100, 50));
    ASSERT_EQ(bands.size(), row.m_nBands);
    EXPECT_EQ(bands.front().m_Rect.left(), rect.left());
    EXPECT_EQ(bands.back().m_Rect.right(), rect.right()) << "the last band reaches the right edge";
    for (int i = 1; i < bands.size(); ++i)
        EXPECT_EQ(bands[i].m_Rect.left(), bands[i - 1].m_Rect.right() + 1) << "no gaps or overlaps";
    EXPECT_EQ(bands.front().m_Colour, QColor(0, 0, 0));
    EXPECT_LE(bands.back().m_Colour.red(), 200);
    EXPECT_GE(bands.back().m_Colour.red(), 200 - 200 / row.m_nBands - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, GradientBands,
    testing::Values(CBandCase{"NarrowOneBandPerPixel", 37, 37}, CBandCase{"OnePixel", 1, 1},
                    CBandCase{"Exactly100", 100, 100}, CBandCase{"WideCapsAt100", 257, 100},
                    CBandCase{"EmptyStillOneBand", 0, 1}),
    [](const testing::TestParamInfo<CBandCase>& info) { return std::string(info.param.m_sName); });

TEST(Label, TextBlinkTogglesBetweenTextAndBrushColour)
{
    CLabel label("blink");
    label.SetTextColour(QColor(10, 20, 30)).SetBackgroundFill(QColor(200, 0, 0));
    label.StartTextBlink(true);
    EXPECT_TRUE(label.IsTimerRunning());
    EXPECT_EQ(label.BlinkModeValue(), CLabel::BlinkText);
    EXPECT_EQ(label.EffectiveTextColour(), QColor(200, 0, 0)) << "phase 0 draws in the brush colour";
    EXPECT_TRUE(QTest::qWaitFor([&] { return label.BlinkPhase() == 1; }, 2000));
    EXPECT_EQ(label.EffectiveTextColour(), QColor(10, 20, 30));
    label.StartTextBlink(false);
    EXPECT_FALSE(label.IsTimerRunning());
    EXPECT_EQ(label.BlinkModeValue(), CLabel::BlinkNone);

    label.StartBackgroundBlink(true);
    EXPECT_EQ(label.BlinkModeValue(), CLabel::BlinkBackground);
    label.StartBackgroundBlink(false);
    EXPECT_FALSE(label.IsTimerRunning());
}

TEST(Label, FontOperationsChangeTheLogicalFont)
{
    CLabel label("font");
    label.SetBoldWeight(true).SetItalicStyle(true).SetUnderlined(true).SetPointSize(14).SetTypeface("DejaVu Sans Mono");
    const QFont& font = label.LogicalFont();
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_EQ(font.pointSize(), 14);
    EXPECT_EQ(font.family(), "DejaVu Sans Mono");
    EXPECT_EQ(label.font(), font);
    label.SetBoldWeight(false).SetTextAngle(90, true);
    EXPECT_EQ(label.LogicalFont().weight(), QFont::Normal);
    EXPECT_EQ(label.Escapement(), 900);
}

TEST(Label, PaintsFillEmbossAndRotationWithoutFault)
{
    CLabel label("Quillmark");
    label.resize(120, 40);
    label.SetBackgroundFill(QColor(255, 0, 0));
    QImage solid = label.grab().toImage();
    EXPECT_EQ(QColor(solid.pixel(1, 1)), QColor(255, 0, 0));

    label.SetBackgroundFill(QColor(0, 0, 0), QColor(0, 0, 255), true);
    QImage gradient = label.grab().toImage();
    EXPECT_LT(QColor(gradient.pixel(1, 38)).blue(), QColor(gradient.pixel(118, 38)).blue());

    label.SetEmbossed(true, true).SetEmbossColour(Qt::white).SetTextAngle(45, true);
    label.SetSunkenEdge(true).SetThinBorder(true);
    EXPECT_FALSE(label.grab().isNull());
}

} // namespace
