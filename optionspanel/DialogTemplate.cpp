#include "DialogTemplate.h"

#include "Options.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace {
constexpr int kTextStretchPercent = 125;
} // namespace

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height)
{
    const QFontMetrics metrics(font);
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = std::max(1, (metrics.horizontalAdvance(sample) / 26 + 1) / 2);
    const int baseY = std::max(1, metrics.height());
    // The templates were measured for a narrow 8-point face; texts in the
    // desktop's usual faces run about a quarter wider for the same average
    // character, so the horizontal unit is stretched to keep every text whole.
    auto scaleX = [baseX](int units) { return (units * baseX * kTextStretchPercent / 100 + 2) / 4; };
    auto scaleY = [baseY](int units) { return (units * baseY + 4) / 8; };
    return QRect(scaleX(x), scaleY(y), scaleX(width), scaleY(height));
}

int32_t TextToInt(const QString& text)
{
    // Typed numbers convert exactly as stored ones do.
    return OptionTextToInt(text.toStdString());
}
