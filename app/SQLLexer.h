// The SQL colouring of the editors: Oracle's words from the scheme file in place
// of the generic lists the lexer knows.
#pragma once

#include <Qsci/qscilexersql.h>

class CEditorSettings;

class CSQLLexer : public QsciLexerSQL
{
    Q_OBJECT
public:
    explicit CSQLLexer(QObject* pParent = nullptr);

    // Takes the word lists and font of the settings.
    void Apply(const CEditorSettings& settings);
    // Paints on the paper with the settings' colours for a paper of its
    // darkness, each made readable on the paper and on the caret's line.
    void ApplyColours(const CEditorSettings& settings, const QColor& paper, const QColor& caretLine);

    const char* keywords(int set) const override;

private:
    QByteArray m_sKeywords;
    QByteArray m_sDataTypes;
    QByteArray m_sFunctions;
};
