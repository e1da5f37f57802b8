#include "SQLLexer.h"

#include "Contrast.h"
#include "EditorSettings.h"

#include <QFont>

CSQLLexer::CSQLLexer(QObject* pParent) : QsciLexerSQL(pParent)
{
    // Oracle has no backslash escapes and no '#' comments.
    setBackslashEscapes(false);
    setHashComments(false);
    setFoldComments(true);
}

void CSQLLexer::Apply(const CEditorSettings& settings)
{
    m_sKeywords = settings.m_sKeywords.toLatin1();
    m_sDataTypes = settings.m_sDataTypes.toLatin1();
    m_sFunctions = settings.m_sFunctions.toLatin1();

    QFont font(settings.m_sFontFamily, settings.m_nFontSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setDefaultFont(font);
    setFont(font, -1);
}

void CSQLLexer::ApplyColours(const CEditorSettings& settings, const QColor& paper, const QColor& caretLine)
{
    const auto readable = [&](const QColor& colour) {
        return ReadableOn(ReadableOn(colour, paper, kTextContrast), caretLine, kTextContrast);
    };
    const bool dark = IsDark(paper);
    setDefaultPaper(paper);
    setPaper(paper, -1);
    // Styles the scheme does not name take its default colour.
    const QColor text = readable(settings.Colour(QStringLiteral("Default"), dark));
    setDefaultColor(text);
    setColor(text, -1);
    for (const auto& style : settings.Colours(dark))
        setColor(readable(style.m_crColour), style.m_nStyle);
}

const char* CSQLLexer::keywords(int set) const
{
    const QByteArray* pList = nullptr;
    switch (set)
    {
    case 1: pList = &m_sKeywords; break;
    case 5: pList = &m_sDataTypes; break;
    case 6: pList = &m_sFunctions; break;
    default: return QsciLexerSQL::keywords(set);
    }
    if (pList->isEmpty())
        return QsciLexerSQL::keywords(set);
    return pList->constData();
}
