// The options panel's bar: its image strip with magenta as the transparent
// colour, its buttons, and renaming a button in place.
#include "PanelTest.h"

#include "OutlookBar.h"

#include <QAbstractButton>
#include <QMainWindow>
#include <QToolBox>

namespace {

TEST(OutlookBar, ImageStripMagentaBecomesTransparent)
{
    QMainWindow frame;
    COutlookBar bar;
    ASSERT_TRUE(bar.Create("IDS_SHORTCUTS", &frame, QRect(0, 0, 430, 32000), 131));
    QImage strip(48, 16, QImage::Format_ARGB32);
    strip.fill(QColor(255, 0, 255));
    strip.setPixel(20, 8, qRgb(10, 20, 30)); // one dot in the second image
    ASSERT_TRUE(bar.SetImageList(QPixmap::fromImage(strip), 16, QColor(255, 0, 255)));

    auto* page = new QWidget;
    bar.AddControl(page, "Second", 1);
    QToolBox* box = bar.GetUnderlyingWindow();
    ASSERT_EQ(box->count(), 1);
    EXPECT_EQ(box->itemText(0), "Second");
    const QImage icon = box->itemIcon(0).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "magenta is transparent";
    EXPECT_EQ(icon.pixel(4, 8), qRgb(10, 20, 30)) << "the image is cut from its place in the strip";
    EXPECT_FALSE(bar.SetImageList(QPixmap(), 16, QColor(255, 0, 255)));
}

TEST(OutlookBar, DoubleClickRenamesAButtonInPlace)
{
    QMainWindow frame;
    COutlookBar bar;
    ASSERT_TRUE(bar.Create("IDS_SHORTCUTS", &frame, QRect(0, 0, 430, 32000), 131));
    bar.AddControl(new QWidget, "Alignments", 0);
    bar.AddControl(new QWidget, "Select", 1);
    frame.show();
    QAbstractButton* select = nullptr;
    for (QAbstractButton* button : bar.GetUnderlyingWindow()->findChildren<QAbstractButton*>())
        if (button->text() == "Select")
            select = button;
    ASSERT_NE(select, nullptr);

    QTest::mouseDClick(select, Qt::LeftButton);
    EXPECT_EQ(bar.GetUnderlyingWindow()->itemText(1), "Select") << "renaming is off by default";
    bar.EnableInPlaceEdit(true);
    QTest::mouseDClick(select, Qt::LeftButton);
    auto* editor = select->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Lists");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(bar.GetUnderlyingWindow()->itemText(1), "Lists");
}

} // namespace
