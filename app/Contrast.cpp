#include "Contrast.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// A pixel's alpha below this leaves it out of the measure: edge pixels that
// are mostly background say little about the mark.
constexpr int kVisibleAlpha = 128;
// A fully saturated pixel needs this share of the contrast a grey one needs
// above 1 (no contrast at all).
constexpr double kVividShare = 0.4;

} // namespace

QColor Mix(const QColor& a, const QColor& b, double towardB)
{
    const QColor x = a.toRgb();
    const QColor y = b.toRgb();
    const QColor mixed = QColor::fromRgbF(x.redF() + (y.redF() - x.redF()) * towardB,
                                          x.greenF() + (y.greenF() - x.greenF()) * towardB,
                                          x.blueF() + (y.blueF() - x.blueF()) * towardB);
    return QColor::fromRgb(mixed.rgb()); // as shown, with 8 bits a channel
}

double Luminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDark(const QColor& background)
{
    return ContrastRatio(Qt::white, background) > ContrastRatio(Qt::black, background);
}

QColor ReadableOn(const QColor& colour, const QColor& background, double ratio)
{
    // Colours are shown with 8 bits a channel: the contrast is that of the
    // rounded colour.
    const QColor shown = QColor::fromRgba(colour.rgba());
    if (ContrastRatio(shown, background) >= ratio)
        return shown;
    const bool lighter = IsDark(background);
    const QColor hsl = colour.toHsl();
    const auto withLightness = [&hsl](double lightness) {
        const QColor exact = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness, hsl.alphaF());
        return QColor::fromRgba(exact.rgba());
    };
    // Contrast grows steadily as the lightness moves away from the
    // background's: search for the least move that is enough.
    double near = hsl.lightnessF();
    double far = lighter ? 1.0 : 0.0;
    if (ContrastRatio(withLightness(far), background) < ratio)
        return withLightness(far);
    for (int step = 0; step < 20; ++step)
    {
        const double middle = (near + far) / 2;
        (ContrastRatio(withLightness(middle), background) >= ratio ? far : near) = middle;
    }
    return withLightness(far);
}

double PixelContrastNeeded(const QColor& pixel, double ratio)
{
    return 1.0 + (ratio - 1.0) * (1.0 - (1.0 - kVividShare) * pixel.toHsv().hsvSaturationF());
}

QImage ReadableOn(const QImage& image, const QColor& background, double ratio)
{
    // An image that stands out as it is keeps its own colours.
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    if (ImageReadability(result, background, ratio) >= 1.0)
        return result;
    for (int y = 0; y < result.height(); ++y)
    {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (qAlpha(line[x]) > 0)
            {
                // A pixel made lighter or darker loses some of its colour, and
                // with it needs a little more contrast: a second step gives that.
                QColor readable(qRed(line[x]), qGreen(line[x]), qBlue(line[x]));
                for (int step = 0; step < 3; ++step)
                    readable = ReadableOn(readable, background, PixelContrastNeeded(readable, ratio));
                line[x] = qRgba(readable.red(), readable.green(), readable.blue(), qAlpha(line[x]));
            }
    }
    return result;
}

double ImageReadability(const QImage& image, const QColor& background, double ratio)
{
    // An image reads by its outline: the visible pixels next to a transparent
    // one (or to the edge) must stand out from the background; inside the
    // outline the image's own colours set its parts apart.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const auto visible = [&argb](int x, int y) {
        return x >= 0 && y >= 0 && x < argb.width() && y < argb.height() && qAlpha(argb.pixel(x, y)) >= kVisibleAlpha;
    };
    std::vector<double> shares;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
        {
            if (!visible(x, y) || (visible(x - 1, y) && visible(x + 1, y) && visible(x, y - 1) && visible(x, y + 1)))
                continue;
            const QRgb rgb = argb.pixel(x, y);
            const QColor pixel(qRed(rgb), qGreen(rgb), qBlue(rgb));
            shares.push_back((ContrastRatio(pixel, background) - 1.0) / (PixelContrastNeeded(pixel, ratio) - 1.0));
        }
    if (shares.empty())
        return 0.0;
    const auto middle = shares.begin() + static_cast<std::ptrdiff_t>(shares.size() / 2);
    std::nth_element(shares.begin(), middle, shares.end());
    return *middle;
}
