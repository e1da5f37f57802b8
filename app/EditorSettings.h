// What the editors show and how: font, tab width, margins and the colours of the
// SQL scheme. The defaults come from the two configuration files, the user's
// copies of which live in the per-user data folder; the margins are kept in the
// settings store's "Settings" section.
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
    // Writes font, tab width and the scheme's colours back to the files that
    // LoadConfig read. Returns false when a file could not be written.
    bool SaveConfig() const;

    // Line numbers and the selection margin, from or to the store's "Settings".
    void LoadMargins(const CProfileStore* pStore);
    void SaveMargins(CProfileStore* pStore) const;

    QColor Colour(const QString& name) const;
    void SetColour(const QString& name, const QColor& colour);

    QString m_sEditIniPath;
    QString m_sSchemePath;
    QString m_sFontFamily;
    int m_nFontSize = 10;
    int m_nTabWidth = 4;
    bool m_bLineNumbers = true;
    bool m_bSelMargin = false;
    QColor m_crPaper;
    QColor m_crCaretLine;
    std::vector<CStyleColour> m_aColours;
    // Lower-case word lists the colouring recognises.
    QString m_sKeywords;
    QString m_sDataTypes;
    QString m_sFunctions;
};

// The colour of the selection in every editor: red 178, green 180, blue 191.
inline const QColor kHiliteBackColour(0xB2, 0xB4, 0xBF);
