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

    // Takes the word lists, colours and font of the settings.
    void Apply(const CEditorSettings& settings);

    const char* keywords(int set) const override;

private:
    QByteArray m_sKeywords;
    QByteArray m_sDataTypes;
    QByteArray m_sFunctions;
};
