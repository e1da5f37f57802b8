#include "EditorSettings.h"

#include "AppStrings.h"
#include "Options.h"
#include "ProfileStore.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QSettings>

#include <Qsci/qscilexersql.h>

namespace
{
struct CStyleDefault
{
    const char* m_pName;
    int m_nStyle;
    QRgb m_rgbLight; // on a light paper
    QRgb m_rgbDark;  // on a dark paper
};

// The scheme's colours by name, with the lexer style each paints and the
// colours used when the scheme file does not give them.
const CStyleDefault kStyleDefaults[] = {
    {"Default", QsciLexerSQL::Default, 0x000000, 0xd4d4d4},
    {"Comment", QsciLexerSQL::Comment, 0x008000, 0x6a9955},
    {"CommentLine", QsciLexerSQL::CommentLine, 0x008000, 0x6a9955},
    {"CommentDoc", QsciLexerSQL::CommentDoc, 0x008000, 0x6a9955},
    {"Number", QsciLexerSQL::Number, 0x800000, 0xb5cea8},
    {"Keyword", QsciLexerSQL::Keyword, 0x0000ff, 0x569cd6},
    {"QuotedIdentifier", QsciLexerSQL::DoubleQuotedString, 0x800080, 0xc586c0},
    {"String", QsciLexerSQL::SingleQuotedString, 0xa31515, 0xce9178},
    {"Operator", QsciLexerSQL::Operator, 0x000080, 0xd4d4d4},
    {"Identifier", QsciLexerSQL::Identifier, 0x000000, 0xd4d4d4},
    {"DataType", QsciLexerSQL::KeywordSet5, 0x2b91af, 0x4ec9b0},
    {"Function", QsciLexerSQL::KeywordSet6, 0xaf00db, 0xdcdcaa},
    {"SqlPlus", QsciLexerSQL::PlusKeyword, 0x808000, 0xd7ba7d},
};

const char* const kEditorGroup = "Editor";
const char* const kSchemesGroup = "Schemes";
const char* const kColoursGroup = "Colours";
const char* const kDarkColoursGroup = "DarkColours";
const char* const kWordsGroup = "Words";

QString DefaultFixedFont()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

bool ReadFlag(const CProfileStore* pStore, const char* name, bool fallback)
{
    if (!pStore)
        return fallback;
    const auto value = pStore->GetString(AppStrings::kEditorSettingsSection, name);
    if (!value)
        return fallback;
    return OptionTextToInt(*value) != 0;
}
} // namespace

CEditorSettings::CEditorSettings() : m_sFontFamily(DefaultFixedFont())
{
    for (const auto& style : kStyleDefaults)
    {
        m_aColours.push_back({QString::fromLatin1(style.m_pName), style.m_nStyle, QColor(style.m_rgbLight)});
        m_aDarkColours.push_back({QString::fromLatin1(style.m_pName), style.m_nStyle, QColor(style.m_rgbDark)});
    }
}

void CEditorSettings::LoadConfig(const QString& editIniPath)
{
    m_sEditIniPath = editIniPath;
    QSettings edit(editIniPath, QSettings::IniFormat);
    edit.beginGroup(kEditorGroup);
    const QString family = edit.value("FontFamily").toString().trimmed();
    if (!family.isEmpty())
        m_sFontFamily = family;
    m_nFontSize = qBound(4, edit.value("FontSize", m_nFontSize).toInt(), 72);
    m_nTabWidth = qBound(1, edit.value("TabWidth", m_nTabWidth).toInt(), 16);
    m_bLineNumbers = edit.value("LineNumbers", m_bLineNumbers).toBool();
    m_bSelMargin = edit.value("SelMargin", m_bSelMargin).toBool();
    edit.endGroup();

    QString scheme = edit.value(QStringLiteral("%1/SQL").arg(kSchemesGroup)).toString().trimmed();
    if (scheme.isEmpty())
        scheme = AppStrings::kSqlConfigFile;
    if (QFileInfo(scheme).isRelative())
        scheme = QFileInfo(editIniPath).dir().filePath(scheme);
    m_sSchemePath = scheme;

    QSettings sql(m_sSchemePath, QSettings::IniFormat);
    for (const bool dark : {false, true})
    {
        sql.beginGroup(dark ? kDarkColoursGroup : kColoursGroup);
        for (auto& style : Colours(dark))
        {
            const QColor colour(sql.value(style.m_sName).toString().trimmed());
            if (colour.isValid())
                style.m_crColour = colour;
        }
        sql.endGroup();
    }
    sql.beginGroup(kWordsGroup);
    m_sKeywords = sql.value("Keywords").toString().toLower().simplified();
    m_sDataTypes = sql.value("DataTypes").toString().toLower().simplified();
    m_sFunctions = sql.value("Functions").toString().toLower().simplified();
    sql.endGroup();
}

bool CEditorSettings::SaveConfig() const
{
    bool ok = true;
    if (!m_sEditIniPath.isEmpty())
    {
        QSettings edit(m_sEditIniPath, QSettings::IniFormat);
        edit.beginGroup(kEditorGroup);
        edit.setValue("FontFamily", m_sFontFamily);
        edit.setValue("FontSize", m_nFontSize);
        edit.setValue("TabWidth", m_nTabWidth);
        edit.endGroup();
        edit.sync();
        ok = ok && edit.status() == QSettings::NoError;
    }
    if (!m_sSchemePath.isEmpty())
    {
        QSettings sql(m_sSchemePath, QSettings::IniFormat);
        for (const bool dark : {false, true})
        {
            sql.beginGroup(dark ? kDarkColoursGroup : kColoursGroup);
            for (const auto& style : Colours(dark))
                sql.setValue(style.m_sName, style.m_crColour.name());
            sql.endGroup();
        }
        sql.sync();
        ok = ok && sql.status() == QSettings::NoError;
    }
    return ok;
}

void CEditorSettings::LoadMargins(const CProfileStore* pStore)
{
    m_bLineNumbers = ReadFlag(pStore, "LineNumbers", m_bLineNumbers);
    m_bSelMargin = ReadFlag(pStore, "SelMargin", m_bSelMargin);
}

void CEditorSettings::SaveMargins(CProfileStore* pStore) const
{
    if (!pStore)
        return;
    pStore->WriteString(AppStrings::kEditorSettingsSection, "LineNumbers", m_bLineNumbers ? "1" : "0");
    pStore->WriteString(AppStrings::kEditorSettingsSection, "SelMargin", m_bSelMargin ? "1" : "0");
}

std::vector<CEditorSettings::CStyleColour>& CEditorSettings::Colours(bool dark)
{
    return dark ? m_aDarkColours : m_aColours;
}

const std::vector<CEditorSettings::CStyleColour>& CEditorSettings::Colours(bool dark) const
{
    return dark ? m_aDarkColours : m_aColours;
}

QColor CEditorSettings::Colour(const QString& name, bool dark) const
{
    for (const auto& style : Colours(dark))
        if (style.m_sName == name)
            return style.m_crColour;
    return QColor();
}

void CEditorSettings::SetColour(const QString& name, const QColor& colour, bool dark)
{
    for (auto& style : Colours(dark))
        if (style.m_sName == name)
            style.m_crColour = colour;
}
