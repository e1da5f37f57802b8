#include "DialogTemplate.h"

#include <limits>

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
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::numeric_limits<int32_t>::max())
            value = int64_t{std::numeric_limits<int32_t>::max()} + 1; // keeps growing bounded
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}
