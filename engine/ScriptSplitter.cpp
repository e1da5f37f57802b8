#include "ScriptSplitter.h"

#include "TextFunc.h"
#include "Tokenizer.h"

#include <algorithm>

#include <array>
#include <vector>

namespace
{

bool IsLineBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

std::u16string_view Trim(std::u16string_view s)
{
    size_t begin = 0, end = s.size();
    while (begin < end && IsLineBlank(s[begin]))
        ++begin;
    while (end > begin && IsLineBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

char16_t Raised(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool IsAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Whether word equals upper (given in upper case), ignoring the case of ASCII
// letters.
bool EqualsWord(std::u16string_view word, std::u16string_view upper)
{
    if (word.size() != upper.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (Raised(word[i]) != upper[i])
            return false;
    return true;
}

bool StartsWithWord(std::u16string_view text, std::u16string_view upper)
{
    return text.size() >= upper.size() && EqualsWord(text.substr(0, upper.size()), upper);
}

// The leading run of ASCII letters of text.
std::u16string_view LeadingWord(std::u16string_view text)
{
    size_t end = 0;
    while (end < text.size() && IsAsciiLetter(text[end]))
        ++end;
    return text.substr(0, end);
}

// A SQL*Plus command: its full name and how many of its letters name it at
// the least.
struct CCommandWord
{
    std::u16string_view m_sName;
    size_t m_nShortest;
};

constexpr CCommandWord kCommandWords[] = {
    {u"ACCEPT", 3},    {u"APPEND", 1},    {u"ARCHIVE", 7},  {u"ATTRIBUTE", 4}, {u"BREAK", 3},
    {u"BTITLE", 3},    {u"CLEAR", 2},     {u"COLUMN", 3},   {u"COMPUTE", 4},   {u"CONNECT", 4},
    {u"COPY", 4},      {u"DEFINE", 3},    {u"DEL", 3},      {u"DESCRIBE", 4},  {u"DISCONNECT", 4},
    {u"EXECUTE", 4},   {u"EXIT", 4},      {u"QUIT", 4},     {u"GET", 3},       {u"HOST", 2},
    {u"LIST", 1},      {u"PASSWORD", 5},  {u"PAUSE", 3},    {u"PRINT", 3},     {u"PROMPT", 3},
    {u"REMARK", 3},    {u"REPFOOTER", 4}, {u"REPHEADER", 4}, {u"RUN", 1},      {u"SAVE", 3},
    {u"SET", 3},       {u"SHOW", 3},      {u"SHUTDOWN", 8}, {u"SPOOL", 3},     {u"START", 3},
    {u"STARTUP", 7},   {u"STORE", 5},     {u"TIMING", 4},   {u"TTITLE", 3},    {u"UNDEFINE", 5},
    {u"VARIABLE", 3},  {u"WHENEVER", 8},
};

const CCommandWord* FindCommandWord(std::u16string_view word)
{
    if (word.empty())
        return nullptr;
    // Only the commands that begin with the word's letter are compared: every
    // line that may start a unit is looked up.
    static const auto byLetter = [] {
        std::array<std::vector<const CCommandWord*>, 26> table;
        for (const CCommandWord& command : kCommandWords)
            table[command.m_sName[0] - u'A'].push_back(&command);
        return table;
    }();
    const char16_t first = Raised(word[0]);
    if (first < u'A' || first > u'Z')
        return nullptr;
    for (const CCommandWord* command : byLetter[first - u'A'])
        if (word.size() >= command->m_nShortest && word.size() <= command->m_sName.size() &&
            EqualsWord(word, command->m_sName.substr(0, word.size())))
            return command;
    return nullptr;
}

// Whether a line (trimmed, beginning outside any literal or comment) is a
// SQL*Plus command. SET TRANSACTION, SET ROLE and SET CONSTRAINT(S) are SQL;
// ARCHIVE is a command only as ARCHIVE LOG.
bool IsCommandLine(std::u16string_view line)
{
    if (line.empty())
        return false;
    if (line[0] == u'@' || line[0] == u'!')
        return true;
    // The command word stands alone: a blank, a semicolon or the line's end
    // follows it.
    const std::u16string_view word = LeadingWord(line);
    if (word.empty() || (word.size() < line.size() && !IsLineBlank(line[word.size()]) && line[word.size()] != u';'))
        return false;
    const CCommandWord* command = FindCommandWord(word);
    if (!command)
        return false;
    const std::u16string_view next = LeadingWord(Trim(line.substr(word.size())));
    if (command->m_sName == u"SET")
        return !EqualsWord(next, u"TRANSACTION") && !EqualsWord(next, u"ROLE") &&
               !EqualsWord(next, u"CONSTRAINT") && !EqualsWord(next, u"CONSTRAINTS");
    if (command->m_sName == u"ARCHIVE")
        return EqualsWord(next, u"LOG");
    return true;
}

// A command line that ends in a hyphen after a blank goes on on the next line.
bool ContinuesCommand(std::u16string_view trimmed)
{
    return trimmed.size() >= 2 && trimmed.back() == u'-' &&
           (trimmed[trimmed.size() - 2] == u' ' || trimmed[trimmed.size() - 2] == u'\t');
}

enum class FormatSwitch { None, Off, On };

// "-- quillmark: off", "/* quillmark: on */", "-- fmt: off" and the like,
// alone on a (trimmed) line, in any case.
FormatSwitch FormatSwitchOf(std::u16string_view trimmed)
{
    std::u16string_view body;
    if (trimmed.substr(0, 2) == u"--")
        body = trimmed.substr(2);
    else if (trimmed.size() >= 4 && trimmed.substr(0, 2) == u"/*" && trimmed.substr(trimmed.size() - 2) == u"*/")
        body = trimmed.substr(2, trimmed.size() - 4);
    else
        return FormatSwitch::None;
    body = Trim(body);
    if (StartsWithWord(body, u"QUILLMARK"))
        body = body.substr(9);
    else if (StartsWithWord(body, u"FMT"))
        body = body.substr(3);
    else
        return FormatSwitch::None;
    body = Trim(body);
    if (body.empty() || body[0] != u':')
        return FormatSwitch::None;
    body = Trim(body.substr(1));
    if (EqualsWord(body, u"OFF"))
        return FormatSwitch::Off;
    if (EqualsWord(body, u"ON"))
        return FormatSwitch::On;
    return FormatSwitch::None;
}

// The first words of a unit, as many as it takes to tell PL/SQL from SQL.
class CUnitWords
{
public:
    static constexpr size_t kCapacity = 8;

    void Clear()
    {
        m_nCount = 0;
        m_bEnough = false;
    }
    // Whether more words would tell nothing more: only a CREATE needs the
    // words after it.
    bool Full() const { return m_bEnough; }
    void Add(std::u16string_view word)
    {
        if (m_bEnough)
            return;
        m_aWords[m_nCount++] = word;
        m_bEnough = m_nCount == kCapacity || (m_nCount == 1 && !EqualsWord(word, u"CREATE"));
    }

    enum class Verdict { Undecided, Sql, Plsql };

    // DECLARE, BEGIN, a <<label>>, or CREATE [OR REPLACE] [EDITIONABLE |
    // NONEDITIONABLE] [AND RESOLVE|COMPILE [NOFORCE]] followed by the name of
    // a kind of stored program make a PL/SQL unit.
    Verdict Judge() const
    {
        size_t i = 0;
        auto at = [&](std::u16string_view upper) { return i < m_nCount && EqualsWord(m_aWords[i], upper); };
        if (m_nCount == 0)
            return Verdict::Undecided;
        if (at(u"DECLARE") || at(u"BEGIN") || m_aWords[0] == u"<<")
            return Verdict::Plsql;
        if (!at(u"CREATE"))
            return Verdict::Sql;
        ++i;
        if (at(u"OR"))
        {
            ++i;
            if (!at(u"REPLACE"))
                return i < m_nCount ? Verdict::Sql : Verdict::Undecided;
            ++i;
        }
        if (at(u"EDITIONABLE") || at(u"NONEDITIONABLE"))
            ++i;
        if (at(u"AND"))
        {
            ++i;
            if (!at(u"RESOLVE") && !at(u"COMPILE"))
                return i < m_nCount ? Verdict::Sql : Verdict::Undecided;
            ++i;
            if (at(u"NOFORCE"))
                ++i;
        }
        if (i >= m_nCount)
            return Verdict::Undecided;
        for (std::u16string_view kind :
             {u"PROCEDURE", u"FUNCTION", u"PACKAGE", u"TRIGGER", u"TYPE", u"LIBRARY", u"JAVA"})
            if (at(kind))
                return Verdict::Plsql;
        return Verdict::Sql;
    }

private:
    std::array<std::u16string_view, kCapacity> m_aWords;
    size_t m_nCount = 0;
    bool m_bEnough = false;
};

// What the lexical reading of one line found.
struct CLineReading
{
    size_t m_nEnd = 0;             // the index of the line's line feed, or the text's end
    bool m_bCode = false;          // something outside comments (literals count)
    bool m_bEndsStatement = false; // its last code character is ";" and it ends outside literals
};

// Follows string literals, q-quoted literals, quoted identifiers and comments
// across lines by the tokenizer's rules, so that a line is classified only
// where the tokenizer would start it outside every token.
class CLineLexer
{
public:
    bool AtPlain() const { return m_nMode == Mode::Plain; }

    // Reads the line that starts at from, up to its line feed or the text's
    // end. With words, the words of the code (and "<<") are added to it until
    // it is full.
    CLineReading Read(std::u16string_view text, size_t from, CUnitWords* words)
    {
        return words ? ReadLine<true>(text, from, words) : ReadLine<false>(text, from, nullptr);
    }

private:
    enum class Mode : uint8_t { Plain, BlockComment, String, QStringOpening, QString, Quoted };

    template <bool kWords>
    CLineReading ReadLine(std::u16string_view text, size_t from, CUnitWords* words);

    // The index of the first line feed, apostrophe, double quotation mark,
    // hyphen or solidus in text at or after from, or text.size(): the
    // characters at which plain text may end. Four units at a time; the
    // hyphen and the solidus differ in one bit only, so one test finds both.
    static size_t FindPlainStop(std::u16string_view text, size_t from)
    {
        static_assert((u'-' | 2) == u'/');
        const char16_t* p = text.data();
        const size_t n = text.size();
        size_t i = from;
        for (; i + 4 <= n; i += 4)
        {
            const uint64_t block = LoadFourUnits(p + i);
            const uint64_t found = ZeroUnits(block ^ FourTimes(u'\n')) | ZeroUnits(block ^ FourTimes(u'\'')) |
                                   ZeroUnits(block ^ FourTimes(u'"')) |
                                   ZeroUnits((block | FourTimes(2)) ^ FourTimes(u'/'));
            if (found)
                return i + FirstMarkedUnit(found);
        }
        while (i < n && !(FlagsOf(p[i]) & (kEnd | kSpecial)))
            ++i;
        return i;
    }

    // Adds the words of a stretch of plain code, and "<<".
    static void AddWords(std::u16string_view code, CUnitWords& words)
    {
        for (size_t i = 0; i < code.size() && !words.Full();)
        {
            if (!IsWordBreak(code[i]))
            {
                size_t end = i + 1;
                while (end < code.size() && !IsWordBreak(code[end]))
                    ++end;
                words.Add(code.substr(i, end - i));
                i = end;
            }
            else
            {
                if (code[i] == u'<' && i + 1 < code.size() && code[i + 1] == u'<')
                    words.Add(u"<<");
                ++i;
            }
        }
    }

    // Plain text: what a character is to the reading.
    enum : uint8_t { kOther = 0, kBlank = 1, kEnd = 2, kSpecial = 4, kWordBreak = 8 };
    static constexpr auto kFlags = [] {
        std::array<uint8_t, 128> table{};
        for (char c : {' ', '\t', '\r'})
            table[static_cast<unsigned char>(c)] = kBlank | kWordBreak;
        table['\n'] = kEnd | kWordBreak;
        for (char c : {'-', '/', '\'', '"'})
            table[static_cast<unsigned char>(c)] = kSpecial | kWordBreak;
        for (char c : {',', '.', '(', ')', '+', '=', '<', '>', '|', '*', ';', ':', '!'})
            table[static_cast<unsigned char>(c)] |= kWordBreak;
        return table;
    }();
    static uint8_t FlagsOf(char16_t c) { return c < 128 ? kFlags[c] : uint8_t(kOther); }
    static bool IsWordBreak(char16_t c) { return FlagsOf(c) & kWordBreak; }

    // Whether the apostrophe at text[i] opens a q-quoted literal: the word
    // right before it is Q or NQ.
    static bool OpensQQuote(std::u16string_view text, size_t lineStart, size_t i)
    {
        auto wordChar = [&](size_t k) { return k >= lineStart && k < i && !IsWordBreak(text[k]); };
        if (i == 0 || !wordChar(i - 1) || (text[i - 1] | 0x20) != u'q')
            return false;
        if (i < 2 || !wordChar(i - 2))
            return true;
        return (text[i - 2] | 0x20) == u'n' && (i < 3 || !wordChar(i - 3));
    }

    Mode m_nMode = Mode::Plain;
    char16_t m_cQuoteClose = 0; // closing delimiter of a q-quoted literal
    size_t m_nQuoteOpen = 0;    // index of its opening delimiter
};

template <bool kWords>
CLineReading CLineLexer::ReadLine(std::u16string_view s, size_t from, CUnitWords* words)
{
    const size_t n = s.size();
    CLineReading reading;
    char16_t last = 0; // the last code character of the line
    if (m_nMode != Mode::Plain && m_nMode != Mode::BlockComment)
        reading.m_bCode = true, last = u'\'';
    size_t i = from;
    while (i < n && s[i] != u'\n')
    {
        switch (m_nMode)
        {
        case Mode::Plain:
        {
            // Plain text up to the next character that matters, in one go;
            // its last character that is not a blank is the line's last code.
            const size_t run = i;
            i = FindPlainStop(s, i);
            size_t codeEnd = i;
            while (codeEnd > run && IsLineBlank(s[codeEnd - 1]))
                --codeEnd;
            if (codeEnd > run)
            {
                reading.m_bCode = true;
                last = s[codeEnd - 1];
                if constexpr (kWords)
                    AddWords(s.substr(run, codeEnd - run), *words);
            }
            if (i >= n || s[i] == u'\n')
                break;
            const char16_t c = s[i];
            if (c == u'-' && i + 1 < n && s[i + 1] == u'-')
            {
                i = FindLineFeed(s, i); // a line comment runs to the line's end
                break;
            }
            if (c == u'/' && i + 1 < n && s[i + 1] == u'*')
            {
                m_nMode = Mode::BlockComment;
                i += 2;
                break;
            }
            reading.m_bCode = true;
            last = c;
            if (c == u'\'')
                m_nMode = OpensQQuote(s, from, i) ? Mode::QStringOpening : Mode::String;
            else if (c == u'"')
                m_nMode = Mode::Quoted;
            ++i;
            break;
        }

        case Mode::BlockComment:
            // Ends at a slash after an asterisk; the opening asterisk counts.
            for (i = FindEither(s, i, u'/', u'\n'); i < n && s[i] == u'/'; i = FindEither(s, i + 1, u'/', u'\n'))
                if (s[i - 1] == u'*')
                {
                    m_nMode = Mode::Plain;
                    ++i;
                    break;
                }
            break;

        case Mode::String:
        {
            const size_t apostrophe = FindEither(s, i, u'\'', u'\n');
            if (apostrophe >= n || s[apostrophe] == u'\n')
            {
                i = apostrophe;
                break;
            }
            // A run of apostrophes closes the literal when it is odd: each
            // pair inside stands for one apostrophe.
            size_t end = apostrophe;
            while (end < n && s[end] == u'\'')
                ++end;
            if ((end - apostrophe) % 2 == 1)
            {
                m_nMode = Mode::Plain;
                last = u'\'';
            }
            i = end;
            break;
        }

        case Mode::QStringOpening:
            m_cQuoteClose = CTokenScanner::ClosingQuoteDelimiter(s[i]);
            m_nQuoteOpen = i;
            m_nMode = Mode::QString;
            ++i;
            break;

        case Mode::QString:
        {
            const size_t apostrophe = FindEither(s, i, u'\'', u'\n');
            if (apostrophe >= n || s[apostrophe] == u'\n')
            {
                i = apostrophe;
                break;
            }
            if (apostrophe - 1 > m_nQuoteOpen && s[apostrophe - 1] == m_cQuoteClose)
            {
                m_nMode = Mode::Plain;
                last = u'\'';
            }
            i = apostrophe + 1;
            break;
        }

        case Mode::Quoted:
        {
            const size_t quote = FindEither(s, i, u'"', u'\n');
            if (quote >= n || s[quote] == u'\n')
            {
                i = quote;
                break;
            }
            m_nMode = Mode::Plain;
            last = u'"';
            i = quote + 1;
            break;
        }
        }
    }
    reading.m_nEnd = i;
    // The line feed may itself be inside a literal: a q-quoted literal whose
    // opening delimiter it is, or one that closes right after it.
    if (i < n)
    {
        if (m_nMode == Mode::QStringOpening)
        {
            m_cQuoteClose = u'\n';
            m_nQuoteOpen = i;
            m_nMode = Mode::QString;
        }
    }
    reading.m_bEndsStatement = m_nMode == Mode::Plain && last == u';';
    return reading;
}

// A stretch of whole lines: [m_nStart, m_nEnd) of the text.
struct CLineSpan
{
    size_t m_nStart = 0;
    size_t m_nEnd = 0;
    int32_t m_nFirstLine = 1;
    int32_t m_nLastLine = 1;

    static CLineSpan Line(size_t start, size_t end, int32_t line) { return {start, end, line, line}; }
    void Extend(size_t end, int32_t line)
    {
        m_nEnd = end;
        m_nLastLine = line;
    }
};

class CScriptSplitter
{
public:
    explicit CScriptSplitter(std::u16string_view text) : m_sText(text) {}

    std::vector<CScriptPiece> Run();

private:
    using Verdict = CUnitWords::Verdict;

    // Reads the line that starts at start; returns the index of its line
    // feed, or the text's end.
    size_t ReadLine(size_t start, int32_t line);
    size_t LineEnd(size_t from) const;
    CLineSpan SpanOf(size_t start, size_t end, int32_t line) const;
    void ReadCodeLine(const CLineSpan& line, const CLineReading& reading);
    void ReadCommentLine(const CLineSpan& line);
    bool AtUnitStart() const { return !m_bUnitOpen || m_bClosable; }
    // Ends the unit being read before a line that is not part of it. Comment
    // lines read since the unit's last statement go with the unit (attach) or
    // stay as they are.
    void EndUnit(bool attachComments);
    void Decide(Verdict verdict);
    void AddPiece(ScriptPieceKind kind, const CLineSpan& span);
    void AddGapUpTo(size_t end, int32_t lastLine);

    std::u16string_view m_sText;
    std::vector<CScriptPiece> m_aPieces;
    size_t m_nCovered = 0;       // the pieces so far cover the text up to here
    int32_t m_nCoveredLine = 1;  // the line m_nCovered stands on
    CLineLexer m_Lexer;

    // The unit being read.
    bool m_bUnitOpen = false;
    CLineSpan m_Unit;
    Verdict m_nVerdict = Verdict::Undecided;
    CUnitWords m_Words;
    bool m_bClosable = false; // a SQL unit whose last code line ended a statement
    // Comment lines read where a unit may start.
    bool m_bPending = false;
    CLineSpan m_Pending;
    // A unit begun after a closable SQL unit while its kind is undecided: if
    // it turns out SQL, it goes on with that unit.
    bool m_bTentative = false;
    CLineSpan m_Previous;

    bool m_bInCommand = false; // a command line continued on the next
    CLineSpan m_Command;
    bool m_bInOff = false;
    CLineSpan m_Off;
};

std::vector<CScriptPiece> CScriptSplitter::Run()
{
    const size_t n = m_sText.size();
    int32_t line = 1;
    for (size_t start = 0; start < n; ++line)
        start = ReadLine(start, line) + 1;
    if (m_bInCommand)
        AddPiece(PIECE_COMMAND, m_Command);
    else if (m_bInOff)
        AddPiece(PIECE_OFF, m_Off);
    else
        EndUnit(true);
    AddGapUpTo(n, line - 1);
    return std::move(m_aPieces);
}

size_t CScriptSplitter::LineEnd(size_t from) const
{
    return FindLineFeed(m_sText, from);
}

CLineSpan CScriptSplitter::SpanOf(size_t start, size_t end, int32_t line) const
{
    const size_t contentEnd = end > start && m_sText[end - 1] == u'\r' ? end - 1 : end;
    return CLineSpan::Line(start, contentEnd, line);
}

size_t CScriptSplitter::ReadLine(size_t start, int32_t line)
{
    const size_t n = m_sText.size();
    // Most lines are classified by their first characters, so the line's end
    // is looked for only where a whole line must be seen.
    size_t first = SkipLineBlanks(m_sText, start);
    const char16_t lead = first < n ? m_sText[first] : u'\n';
    const char16_t next = first + 1 < n ? m_sText[first + 1] : u'\n';
    auto trimmedLine = [&](size_t end) { return Trim(m_sText.substr(start, end - start)); };

    if (m_bInCommand)
    {
        const size_t end = LineEnd(first);
        m_Command.Extend(SpanOf(start, end, line).m_nEnd, line);
        if (!ContinuesCommand(trimmedLine(end)))
        {
            AddPiece(PIECE_COMMAND, m_Command);
            m_bInCommand = false;
        }
        return end;
    }
    if (m_bInOff)
    {
        if (m_Lexer.AtPlain() && (lead == u'-' || lead == u'/'))
        {
            const size_t end = LineEnd(first);
            if (FormatSwitchOf(trimmedLine(end)) == FormatSwitch::On)
            {
                m_Off.Extend(SpanOf(start, end, line).m_nEnd, line);
                AddPiece(PIECE_OFF, m_Off);
                m_bInOff = false;
                return end;
            }
        }
        // Blank lines at the end of a region that is never switched on are
        // left to the gap after it.
        const bool blank = m_Lexer.AtPlain() && lead == u'\n';
        const size_t end = m_Lexer.Read(m_sText, start, nullptr).m_nEnd;
        const CLineSpan span = SpanOf(start, end, line);
        if (!blank && span.m_nEnd > start)
            m_Off.Extend(span.m_nEnd, line);
        return end;
    }
    if (m_Lexer.AtPlain())
    {
        if (lead == u'\n')
            return first; // a blank line: between pieces, or inside the unit around it
        if (lead == u'/' || lead == u'.')
        {
            size_t after = first + 1;
            while (after < n && IsLineBlank(m_sText[after]))
                ++after;
            if (after == n || m_sText[after] == u'\n')
            {
                EndUnit(true);
                AddPiece(PIECE_TERMINATOR, SpanOf(start, after, line));
                return after;
            }
        }
        if ((lead == u'-' && next == u'-') || (lead == u'/' && next == u'*'))
        {
            const size_t end = LineEnd(first);
            if (FormatSwitchOf(trimmedLine(end)) == FormatSwitch::Off)
            {
                EndUnit(false);
                m_bInOff = true;
                m_Off = SpanOf(start, end, line);
                return end;
            }
            if (lead == u'-') // a line comment: the whole line, read already
            {
                ReadCommentLine(SpanOf(start, end, line));
                return end;
            }
        }
        // Only a line that starts with a command's word needs reading whole.
        if (AtUnitStart() && (lead == u'@' || lead == u'!' ||
                              FindCommandWord(LeadingWord(m_sText.substr(first, 16)))))
        {
            const size_t end = LineEnd(first);
            const std::u16string_view trimmed = trimmedLine(end);
            if (IsCommandLine(trimmed))
            {
                EndUnit(false);
                m_Command = SpanOf(start, end, line);
                if (ContinuesCommand(trimmed))
                    m_bInCommand = true;
                else
                    AddPiece(PIECE_COMMAND, m_Command);
                return end;
            }
        }
    }
    // The words tell PL/SQL from SQL at the start of a unit; a line that
    // starts one forgets the last unit's words.
    const bool startsUnit = AtUnitStart();
    if (startsUnit)
        m_Words.Clear();
    const bool wantWords = startsUnit || m_nVerdict == Verdict::Undecided;
    // Outside literals and comments the indentation is passed already.
    const CLineReading reading = m_Lexer.Read(m_sText, m_Lexer.AtPlain() ? first : start, wantWords ? &m_Words : nullptr);
    const CLineSpan span = SpanOf(start, reading.m_nEnd, line);
    if (span.m_nEnd == start)
        return reading.m_nEnd; // an empty line inside a literal or comment: the lines after it cover it
    if (reading.m_bCode)
        ReadCodeLine(span, reading);
    else
        ReadCommentLine(span);
    return reading.m_nEnd;
}

void CScriptSplitter::ReadCodeLine(const CLineSpan& line, const CLineReading& reading)
{
    if (AtUnitStart())
    {
        const CLineSpan start = m_bPending ? m_Pending : line;
        if (m_bUnitOpen) // after a closable SQL unit: maybe its continuation
        {
            m_bTentative = true;
            m_Previous = m_Unit;
        }
        m_bUnitOpen = true;
        m_bClosable = false;
        m_bPending = false;
        m_Unit = start;
        m_nVerdict = Verdict::Undecided;
    }
    m_Unit.Extend(line.m_nEnd, line.m_nLastLine);
    if (m_nVerdict == Verdict::Undecided)
        Decide(m_Words.Judge());
    if (reading.m_bEndsStatement)
    {
        if (m_nVerdict == Verdict::Undecided)
            Decide(Verdict::Sql);
        m_bClosable = m_nVerdict == Verdict::Sql;
    }
}

void CScriptSplitter::ReadCommentLine(const CLineSpan& line)
{
    if (!AtUnitStart())
    {
        m_Unit.Extend(line.m_nEnd, line.m_nLastLine);
        return;
    }
    if (m_bPending)
        m_Pending.Extend(line.m_nEnd, line.m_nLastLine);
    else
        m_Pending = line;
    m_bPending = true;
}

void CScriptSplitter::Decide(Verdict verdict)
{
    m_nVerdict = verdict;
    if (verdict == Verdict::Undecided || !m_bTentative)
        return;
    m_bTentative = false;
    if (verdict == Verdict::Sql)
    {
        // One more statement of the SQL unit before it.
        m_Unit.m_nStart = m_Previous.m_nStart;
        m_Unit.m_nFirstLine = m_Previous.m_nFirstLine;
    }
    else
    {
        AddPiece(PIECE_SQL, m_Previous);
    }
}

void CScriptSplitter::EndUnit(bool attachComments)
{
    if (m_bUnitOpen && m_nVerdict == Verdict::Undecided)
        Decide(Verdict::Sql);
    if (m_bUnitOpen)
    {
        if (m_bPending && attachComments)
            m_Unit.Extend(m_Pending.m_nEnd, m_Pending.m_nLastLine);
        AddPiece(m_nVerdict == Verdict::Plsql ? PIECE_PLSQL : PIECE_SQL, m_Unit);
    }
    else if (m_bPending && attachComments)
    {
        AddPiece(PIECE_SQL, m_Pending); // comments with no statement: a unit of their own
    }
    m_bUnitOpen = false;
    m_bPending = false;
    m_bClosable = false;
    m_bTentative = false;
    m_nVerdict = Verdict::Undecided;
}

void CScriptSplitter::AddGapUpTo(size_t end, int32_t lastLine)
{
    if (end <= m_nCovered)
        return;
    CScriptPiece gap;
    gap.m_nKind = PIECE_VERBATIM;
    gap.m_nStart = m_nCovered;
    gap.m_nLength = end - m_nCovered;
    gap.m_nFirstLine = m_nCoveredLine;
    gap.m_nLastLine = std::max(lastLine, m_nCoveredLine);
    m_aPieces.push_back(gap);
    m_nCovered = end;
    m_nCoveredLine = gap.m_nLastLine;
}

void CScriptSplitter::AddPiece(ScriptPieceKind kind, const CLineSpan& span)
{
    AddGapUpTo(span.m_nStart, span.m_nFirstLine - 1);
    CScriptPiece piece;
    piece.m_nKind = kind;
    piece.m_nStart = span.m_nStart;
    piece.m_nLength = span.m_nEnd - span.m_nStart;
    piece.m_nFirstLine = span.m_nFirstLine;
    piece.m_nLastLine = span.m_nLastLine;
    m_aPieces.push_back(piece);
    m_nCovered = span.m_nEnd;
    m_nCoveredLine = span.m_nLastLine;
}

} // namespace

std::vector<CScriptPiece> SplitScript(std::u16string_view text)
{
    return CScriptSplitter(text).Run();
}

bool MayStartCommand(std::u16string_view word)
{
    return !word.empty() &&
           (word[0] == u'@' || word[0] == u'!' || FindCommandWord(LeadingWord(word.substr(0, 16))) != nullptr);
}

bool IsFormatSwitch(std::u16string_view comment)
{
    return FormatSwitchOf(Trim(comment)) != FormatSwitch::None;
}

bool HasTerminatorLine(std::u16string_view text)
{
    const size_t n = text.size();
    for (size_t i = 0; i < n; i = FindLineFeed(text, i) + 1)
    {
        i = SkipLineBlanks(text, i);
        if (i == n || (text[i] != u'/' && text[i] != u'.'))
            continue;
        const size_t after = SkipLineBlanks(text, i + 1);
        if (after == n || text[after] == u'\n')
            return true;
    }
    return false;
}

bool SplitsIntoUnitsOnly(std::u16string_view text)
{
    for (const CScriptPiece& piece : SplitScript(text))
        if (!IsUnit(piece.m_nKind) && piece.m_nKind != PIECE_VERBATIM)
            return false;
    return true;
}
