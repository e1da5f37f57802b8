// The encodings the document writes files in, as the user picks them: UTF-8,
// UTF-8 with a byte-order mark, UTF-16 LE and Windows-1252 always, and the
// encoding of the open file when it is another. An opened file is written back
// in its own encoding; a new document in the locale's set.
#pragma once

#include "TextEncoding.h"

#include <QString>

#include <vector>

struct CSaveEncoding
{
    TextEncoding m_nEncoding = ENC_ANSI;
    unsigned m_nCodePage = kCodePageUtf8; // for ENC_ANSI

    // "UTF-8", "UTF-8 with BOM", "UTF-16 LE", "Windows-1252", ...
    QString Name() const;
    bool operator==(const CSaveEncoding&) const = default;

    // The encoding a file read in nEncoding (and nCodePage, for ENC_ANSI) is
    // written back in.
    static CSaveEncoding Of(TextEncoding nEncoding, unsigned nCodePage);
    // The locale's set: what a new document is written in.
    static CSaveEncoding Default();
    // The four the user can always pick, then current when it is none of them.
    static std::vector<CSaveEncoding> Choices(const CSaveEncoding& current);
};
