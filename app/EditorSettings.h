// What the editors show and how: font, tab width, margins and the colours of the
// SQL scheme, one set for a light paper and one for a dark paper (the paper,
// the caret and the selection follow the window's visual style). The defaults
// come from the two configuration files, the user's copies of which live in
// the per-user data folder; the margins are kept in the settings store's
// "Settings" section.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <vector>

class CProfileStore;

class CEditorSettings
{
public:
    // One colour of the SQL scheme: its name in the scheme file and the lexer
    // style it paints.
    struct CStyleColour
    {
        QString m_sName;
        int m_nStyle;
        QColor m_crColour;
    };

    CEditorSettings();

    // Reads the main configuration file and the scheme file it names (a name
    // without a folder is taken beside the main file). Missing files or
    // values keep the defaults.
    void LoadConfig(const QString& editIniPath);
    // Writes font, tab width and both sets of the scheme's colours back to the
    // files that LoadConfig read. Returns false when a file could not be written.
    bool SaveConfig() const;

    // Line numbers and the selection margin, from or to the store's "Settings".
    void LoadMargins(const CProfileStore* pStore);
    void SaveMargins(CProfileStore* pStore) const;

    // The scheme's colours for a dark paper, or for a light one.
    std::vector<CStyleColour>& Colours(bool dark);
    const std::vector<CStyleColour>& Colours(bool dark) const;
    QColor Colour(const QString& name, bool dark = false) const;
    void SetColour(const QString& name, const QColor& colour, bool dark = false);

    QString m_sEditIniPath;
    QString m_sSchemePath;
    QString m_sFontFamily;
    int m_nFontSize = 10;
    int m_nTabWidth = 4;
    bool m_bLineNumbers = true;
    bool m_bSelMargin = false;
    std::vector<CStyleColour> m_aColours;     // [Colours]: on a light paper
    std::vector<CStyleColour> m_aDarkColours; // [DarkColours]: on a dark paper
    // Lower-case word lists the colouring recognises.
    QString m_sKeywords;
    QString m_sDataTypes;
    QString m_sFunctions;
};
