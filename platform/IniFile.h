// INI text: the settings store's file format and the format of shared options
// files. A line is a "[section]" header, a "name=value" pair, a comment
// (starting with ';' or '#'), or blank; anything else is malformed. Names are
// trimmed; a value is the text after the first '=' exactly as it stands.
// Values before the first header belong to the section with the empty name.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One entry of a section: a value, or a comment line kept so that a rewrite
// does not lose what the user wrote by hand.
struct CIniEntry
{
    enum Kind { VALUE, COMMENT };
    Kind m_nKind = VALUE;
    std::string m_sName;  // the trimmed name; empty for a comment
    std::string m_sValue; // the value's text; for a comment the whole line
    int m_nLine = 0;      // 1-based line in the parsed text; 0 when made in memory
};

struct CIniSection
{
    std::string m_sName; // between the brackets, verbatim ("Options\CSelect")
    int m_nLine = 0;     // line of its header; 0 for the leading unnamed section
    std::vector<CIniEntry> m_aEntries;
};

struct CIniMalformedLine
{
    int m_nLine = 0;
    std::string m_sReason; // what is wrong, in a few words
};

// The text exactly as written: sections in order of appearance (a repeated
// header gives a second section of the same name), the unnamed section first
// (empty when the text starts with a header), and every malformed line.
struct CIniParseResult
{
    std::vector<CIniSection> m_aSections;
    std::vector<CIniMalformedLine> m_aMalformed;
    bool Clean() const { return m_aMalformed.empty(); }
};

// Never fails: any bytes give a result. A leading UTF-8 byte-order mark is
// skipped; lines end at LF, and a CR before the LF is dropped. A line holding
// a NUL byte or bytes that are not UTF-8 is malformed.
CIniParseResult ParseIni(std::string_view text);

// The text as one line of the file can hold it and read it back: line breaks
// and NUL bytes become blanks, bytes that are not UTF-8 become U+FFFD.
std::string IniLineText(std::string_view text);

// Sections of values as the store sees them: one section per name (repeated
// headers merged), one value per name (the last one written wins), lookups by
// hash, order of first appearance kept for writing.
class CIniDocument
{
public:
    CIniDocument() = default;
    explicit CIniDocument(const CIniParseResult& parsed);

    // The value, or null when the section or the value is absent.
    const std::string* Find(std::string_view section, std::string_view name) const;
    void Set(const std::string& section, const std::string& name, const std::string& value);
    void EraseSection(std::string_view section);

    const std::vector<CIniSection>& Sections() const { return m_aSections; }
    size_t ValueCount() const;

    // The INI text: the unnamed section's values first, then each section after
    // a blank line. Values and section names are written as IniLineText.
    std::string Format() const;

    // True when Set can store the name so that it reads back the same: not
    // empty, UTF-8, no '=', line break or NUL, no blank at either end, and not
    // starting like a comment or a section header.
    static bool IsWritableName(std::string_view name);

private:
    CIniSection* FindSection(std::string_view section);
    void Reindex();

    std::vector<CIniSection> m_aSections;
    std::unordered_map<std::string, size_t> m_aSectionIndex;
    // Per section, value name -> entry position.
    std::vector<std::unordered_map<std::string, size_t>> m_aValueIndex;
};
