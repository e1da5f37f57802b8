// Contrast: the least change of a colour that reads on a background, and
// images (icons) judged and mended by their outline.
#include "Contrast.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

struct CReadableCase
{
    const char* m_sName;
    QRgb m_crColour, m_crBackground;
    double m_nRatio;
    bool m_bChanged;
};

class ReadableColours : public testing::TestWithParam<CReadableCase> {};

TEST_P(ReadableColours, ReachTheRatioWithTheLeastChange)
{
    const CReadableCase& row = GetParam();
    const QColor colour(row.m_crColour);
    const QColor background(row.m_crBackground);
    const QColor readable = ReadableOn(colour, background, row.m_nRatio);
    EXPECT_EQ(readable != colour, row.m_bChanged);
    if (ContrastRatio(IsDark(background) ? QColor(Qt::white) : QColor(Qt::black), background) >= row.m_nRatio)
    {
        EXPECT_GE(ContrastRatio(readable, background), row.m_nRatio);
        if (row.m_bChanged)
        {
            EXPECT_LT(ContrastRatio(readable, background), row.m_nRatio + 0.3) << "no further than needed";
        }
    }
    if (row.m_bChanged && colour.hsvSaturation() > 50)
    {
        EXPECT_NEAR(readable.hsvHue(), colour.hsvHue(), 8) << "the hue stays";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Contrast, ReadableColours,
    testing::Values(CReadableCase{"BlackOnWhiteKept", 0x000000, 0xffffff, 4.5, false},
                    CReadableCase{"GreyStrokeOnDarkLightened", 0x555555, 0x3a3d42, 3.0, true},
                    CReadableCase{"BlueKeywordOnDarkLightened", 0x0000ff, 0x262829, 4.5, true},
                    CReadableCase{"TealOnWhiteDarkened", 0x2b91af, 0xffffff, 4.5, true},
                    CReadableCase{"YellowOnLightGreyDarkened", 0xe8c040, 0xefefef, 3.0, true},
                    CReadableCase{"OnMidGreyAsFarAsPossible", 0x777777, 0x808080, 21.0, true}),
    [](const auto& info) { return std::string(info.param.m_sName); });

// A 16-pixel icon: a square outline in one colour around a fill in another.
QImage Icon(QRgb outline, QRgb fill)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(2, 2, 12, 12, QColor(outline));
    painter.fillRect(4, 4, 8, 8, QColor(fill));
    return image;
}

TEST(ReadableImages, JudgedAndMendedByTheirOutline)
{
    const QColor dark(0x3a, 0x3d, 0x42);
    const QImage greyStroke = Icon(0x555555, 0xffffff); // a dark outline round a white lens
    EXPECT_LT(ImageReadability(greyStroke, dark, kMarkContrast), 1.0) << "the white inside does not make it read";
    const QImage mended = ReadableOn(greyStroke, dark, kMarkContrast);
    EXPECT_GE(ImageReadability(mended, dark, kMarkContrast), 1.0);
    EXPECT_EQ(qAlpha(mended.pixel(0, 0)), 0) << "transparency is kept";

    const QImage outlined = Icon(0x8b5a00, 0xfff3c0); // a brown outline round a cream fill
    EXPECT_EQ(ReadableOn(outlined, QColor(0xef, 0xef, 0xef), kMarkContrast), outlined.convertToFormat(QImage::Format_ARGB32))
        << "an icon that reads keeps its colours";
    QImage empty(16, 16, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    EXPECT_EQ(ImageReadability(empty, dark, kMarkContrast), 0.0) << "nothing visible";
}

} // namespace
