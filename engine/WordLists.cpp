#include "WordLists.h"

#include "TextFunc.h"

#include <iterator>

namespace
{

// The recognised-word table in its fixed order.
constexpr CListedWord kRecoWords[] = {
    {u"SELECT", KW_SELECT},
    {u"INTO", KW_INTO},
    {u"INSERT", KW_INSERT},
    {u"DELETE", KW_DELETE},
    {u"UPDATE", KW_UPDATE},
    {u"SET", KW_SET},
    {u"MERGE", KW_MERGE},
    {u"CREATE", KW_CREATE},
    {u"ALTER", KW_ALTER},
    {u"DROP", KW_DROP},
    {u"TABLE", KW_TABLE},
    {u"INDEX", KW_INDEX},
    {u"SEQUENCE", KW_SEQUENCE},
    {u"TABLESPACE", KW_TABLESPACE},
    {u"PCTFREE", KW_PCTFREE},
    {u"INITRANS", KW_INITRANS},
    {u"MAXTRANS", KW_MAXTRANS},
    {u"STORAGE", KW_STORAGE},
    {u"INITIAL", KW_INITIAL},
    {u"NEXT", KW_NEXT},
    {u"MINEXTENTS", KW_MINEXTENTS},
    {u"MAXEXTENTS", KW_MAXEXTENTS},
    {u"UNLIMITED", KW_UNLIMITED},
    {u"REPLACE", KW_REPLACE},
    {u"COMMIT", KW_COMMIT},
    {u"FROM", KW_FROM},
    {u"WHERE", KW_WHERE},
    {u"AS", KW_AS},
    {u"VALUES", KW_VALUES},
    {u"AND", KW_AND},
    {u"NOT", KW_NOT},
    {u"OR", KW_OR},
    {u"IN", KW_IN},
    {u"EXISTS", KW_EXISTS},
    {u"LIKE", KW_LIKE},
    {u"IS", KW_IS},
    {u"BETWEEN", KW_BETWEEN},
    {u"NULL", KW_NULL},
    {u"GRANT", KW_GRANT},
    {u"EXECUTE", KW_EXECUTE},
    {u"TO", KW_TO},
    {u"IMMEDIATE", KW_IMMEDIATE},
    {u"BEGIN", KW_BEGIN},
    {u"END", KW_END},
    {u"DECLARE", KW_DECLARE},
    {u"EXCEPTION", KW_EXCEPTION},
    {u"OTHERS", KW_OTHERS},
    {u"PROCEDURE", KW_PROCEDURE},
    {u"FUNCTION", KW_FUNCTION},
    {u"EXIT", KW_EXIT},
    {u"RETURN", KW_RETURN},
    {u"DEFAULT", KW_DEFAULT},
    {u"OPEN", KW_OPEN},
    {u"FOR", KW_FOR},
    {u"WHILE", KW_WHILE},
    {u"LOOP", KW_LOOP},
    {u"ORDER", KW_ORDER},
    {u"BY", KW_BY},
    {u"ASC", KW_ASC},
    {u"DESC", KW_DESC},
    {u"GROUP", KW_GROUP},
    {u"HAVING", KW_HAVING},
    {u"UNION", KW_UNION},
    {u"ALL", KW_ALL},
    {u"MINUS", KW_MINUS},
    {u"DISTINCT", KW_DISTINCT},
    {u"INTERSECT", KW_INTERSECT},
    {u"FULL", KW_FULL},
    {u"INNER", KW_INNER},
    {u"OUTER", KW_OUTER},
    {u"LEFT", KW_LEFT},
    {u"RIGHT", KW_RIGHT},
    {u"JOIN", KW_JOIN},
    {u"ON", KW_ON},
    {u"CASE", KW_CASE},
    {u"WHEN", KW_WHEN},
    {u"THEN", KW_THEN},
    {u"ELSE", KW_ELSE},
    {u"IF", KW_IF},
    {u"ELSIF", KW_ELSIF},
    {u"MODEL", KW_MODEL},
    {u"DIMENSION", KW_DIMENSION},
    {u"MEASURES", KW_MEASURES},
    {u"RULES", KW_RULES},
    {u"ITERATE", KW_ITERATE},
    {u"UNTIL", KW_UNTIL},
    {u"WITH", KW_WITH},
    {u"START", KW_START},
    {u"CONNECT", KW_CONNECT},
    {u"PRIOR", KW_PRIOR},
    {u"LEVEL", KW_LEVEL},
    {u"NOCYCLE", KW_NOCYCLE},
    {u"OVER", KW_OVER},
    {u"PARTITION", KW_PARTITION},
    {u"ROWS", KW_ROWS},
    {u"PRECEDING", KW_PRECEDING},
    {u"UNBOUNDED", KW_UNBOUNDED},
    {u"CURRENT", KW_CURRENT},
    {u"ROW", KW_ROW},
    {u"FOLLOWING", KW_FOLLOWING},
    {u"BULK", KW_BULK},
    {u"COLLECT", KW_COLLECT},
    {u"LIMIT", KW_LIMIT},
    {u"FORALL", KW_FORALL},
    {u"PACKAGE", KW_PACKAGE},
    {u"BODY", KW_BODY},
    {u"PIVOT", KW_PIVOT},
    {u"PASSING", KW_PASSING},
    {u"FIELD", KW_FIELD},
    {u"COLUMNS", KW_COLUMNS},
    {u"TRUE", KW_TRUE},
    {u"FALSE", KW_FALSE},
    {u"TYPE", KW_TYPE}
};

constexpr const char16_t* kDataTypes[] = {
    u"NVARCHAR2", u"VARCHAR2", u"NUMBER", u"CHARACTER", u"VARYING", u"NATIONAL", u"NUMERIC",
    u"DECIMAL", u"INTEGER", u"SMALLINT", u"PRECISION", u"SDO_GEOMETRY", u"SDO_GEORASTER",
    u"XMLType", u"HTTPURIType", u"XDBURIType", u"DBURIType", u"BINARY_FLOAT", u"BINARY_DOUBLE",
    u"TIMESTAMP", u"INTERVAL", u"RAW", u"UROWID", u"CHAR", u"BYTE", u"NCHAR", u"NCLOB", u"CLOB",
    u"BLOB", u"BFILE", u"LONG", u"DATE", u"INT", u"FLOAT", u"DOUBLE", u"REAL", u"ROWID",
};

constexpr const char16_t* kStdFunctions[] = {
    u"ABS", u"ACOS", u"ADD_MONTHS", u"ASCII", u"ASCIISTR", u"ASIN", u"ATAN", u"ATAN2", u"AVG",
    u"BFILENAME", u"BIN_TO_NUM", u"BITAND", u"CAST", u"CEIL", u"CHARTOROWID", u"CHR",
    u"COALESCE", u"COMPOSE", u"CONCAT", u"CONVERT", u"CORR", u"CUBE", u"COS", u"COSH", u"COUNT",
    u"COVAR_POP", u"COVAR_SAMP", u"CUME_DIST", u"CURRENT_DATE", u"CURRENT_TIMESTAMP",
    u"DBTIMEZONE", u"DECODE", u"DECOMPOSE", u"DENSE_RANK", u"KEEP", u"DEPTH", u"DEREF", u"DUMP",
    u"EMPTY_BLOB", u"EMPTY_CLOB", u"EXISTSNODE", u"EXP", u"EXTRACT", u"EXTRACTVALUE", u"FIRST",
    u"FIRST_VALUE", u"FLOOR", u"FROM_TZ", u"GREATEST", u"GROUP_ID", u"GROUPING", u"GROUPING_ID",
    u"HEXTORAW", u"INITCAP", u"INSTR", u"LAG", u"LAST", u"LAST_DAY", u"LAST_VALUE", u"LEAD",
    u"LEAST", u"LENGTH", u"LN", u"LOCALTIMESTAMP", u"LOG", u"LOWER", u"LPAD", u"LTRIM",
    u"MAKE_REF", u"MAX", u"MIN", u"MOD", u"MONTHS_BETWEEN", u"NCHR", u"NEW_TIME", u"NEXT_DAY",
    u"NLS_CHARSET_DECL_LEN", u"NLS_CHARSET_ID", u"NLS_CHARSET_NAME", u"NLS_INITCAP",
    u"NLS_LOWER", u"NLSSORT", u"NLS_UPPER", u"NTILE", u"NULLIF", u"NUMTODSINTERVAL",
    u"NUMTOYMINTERVAL", u"NVL", u"NVL2", u"PATH", u"PERCENT_RANK", u"PERCENTILE_CONT",
    u"PERCENTILE_DISC", u"POWER", u"RANK", u"RATIO_TO_REPORT", u"RAWTOHEX", u"RAWTONHEX",
    u"REFTOHEX", u"REF", u"REGR_", u"REGEXP_INSTR", u"REGEXP_REPLACE", u"REGEXP_SUBSTR",
    u"REMAINDER", u"REPLACE", u"ROLLUP", u"ROUND", u"ROW_NUMBER", u"ROWIDTOCHAR",
    u"ROWIDTONCHAR", u"RPAD", u"RTRIM", u"SESSIONTIMEZONE", u"SIGN", u"SIN", u"SINH",
    u"SOUNDEX", u"SQRT", u"STDDEV", u"STDDEV_POP", u"STDDEV_SAMP", u"SUBSTR", u"SUM",
    u"SYS_CONNECT_BY_PATH", u"SYS_CONTEXT", u"SYS_DBURIGEN", u"SYS_EXTRACT_UTC", u"SYS_GUID",
    u"SYS_TYPEID", u"SYS_XMLAGG", u"SYS_XMLGEN", u"SYSDATE", u"SYSTIMESTAMP", u"TAN", u"TANH",
    u"TO_CHAR", u"TO_CLOB", u"TO_DATE", u"TO_DSINTERVAL", u"TO_LOB", u"TO_MULTI_BYTE",
    u"TO_NCHAR", u"TO_NCLOB", u"TO_NUMBER", u"TO_SINGLE_BYTE", u"TO_TIMESTAMP",
    u"TO_TIMESTAMP_TZ", u"TO_YMINTERVAL", u"TRANSLATE", u"USING", u"TREAT", u"TRIM", u"TRUNC",
    u"TZ_OFFSET", u"UID", u"UNISTR", u"UPDATEXML", u"UPPER", u"USER", u"USERENV", u"VALUE",
    u"VAR_POP", u"VAR_SAMP", u"VARIANCE", u"VSIZE", u"WIDTH_BUCKET", u"XMLAGG", u"XMLCOLATTVAL",
    u"XMLCONCAT", u"XMLELEMENT", u"XMLFOREST", u"XMLSEQUENCE", u"XMLTRANSFORM", u"XMLTABLE",
    u"XMLNAMESPACES", u"SQLERRM", u"SQLCODE", u"CONNECT_BY_ROOT", u"CONNECT_BY_ISCYCLE",
    u"CONNECT_BY_ISLEAF", u"ROWNUM",
};

char16_t RaiseAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

// The same for two units that RaiseAscii makes equal, in one step: the bit
// that tells a letter's cases apart is dropped from every unit. Only the
// hashes use it; they need not tell other units apart.
uint32_t Caseless(char16_t c)
{
    return c & ~0x20u;
}

// Whether word with a to z raised is upper; four units at a time, as most
// words looked up are found.
bool EqualsRaised(std::u16string_view upper, std::u16string_view word)
{
    const size_t n = word.size();
    if (upper.size() != n)
        return false;
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        if (SwitchCaseOfFour(LoadFourUnits(word.data() + i), u'a') != LoadFourUnits(upper.data() + i))
            return false;
    for (; i < n; ++i)
        if (RaiseAscii(word[i]) != upper[i])
            return false;
    return true;
}

bool IsAllDigits(std::u16string_view text)
{
    if (text.empty())
        return false;
    for (char16_t c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}
} // namespace

void CWordIndex::Clear()
{
    m_aSlots.clear();
    m_aFirstUnits.fill(0);
    m_nUsed = 0;
}

uint32_t CWordIndex::FirstUnitBit(char16_t first)
{
    return uint32_t(1) << (Caseless(first) % 32);
}

uint32_t CWordIndex::Hash(std::u16string_view word)
{
    const size_t n = word.size();
    uint32_t h = static_cast<uint32_t>(n) * 0x9E3779B1u;
    h ^= Caseless(word[0]) * 0x85EBCA77u;
    h ^= Caseless(word[n / 2]) * 0xC2B2AE3Du;
    h ^= Caseless(word[n - 1]) * 0x27D4EB2Fu;
    return h ^ (h >> 15);
}

void CWordIndex::Grow()
{
    std::vector<CEntry> old = std::move(m_aSlots);
    m_aSlots.assign(old.empty() ? 64 : old.size() * 2, CEntry{});
    m_nUsed = 0;
    for (CEntry& entry : old)
        if (!entry.m_sWord.empty())
            Add(entry.m_sWord, entry.m_nKind, entry.m_nCode);
}

void CWordIndex::Add(std::u16string_view word, int32_t kind, int32_t code)
{
    if (word.empty() || word.size() > kMaxWord)
        return;
    if ((m_nUsed + 1) * 2 > m_aSlots.size())
        Grow();
    std::u16string upper(word);
    for (char16_t& c : upper)
        c = RaiseAscii(c);
    const uint32_t hash = Hash(upper);
    const size_t mask = m_aSlots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask)
    {
        CEntry& entry = m_aSlots[slot];
        if (entry.m_sWord.empty())
        {
            m_aFirstUnits[upper.size()] |= FirstUnitBit(upper[0]);
            entry.m_sWord = std::move(upper);
            entry.m_nHash = hash;
            ++m_nUsed;
        }
        else if (entry.m_sWord != upper)
        {
            continue;
        }
        entry.m_nKind = kind;
        entry.m_nCode = code;
        return;
    }
}

const CWordIndex::CEntry* CWordIndex::Find(std::u16string_view word) const
{
    if (word.empty() || word.size() > kMaxWord || !(m_aFirstUnits[word.size()] & FirstUnitBit(word[0])))
        return nullptr;
    const uint32_t hash = Hash(word);
    const size_t mask = m_aSlots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask)
    {
        const CEntry& entry = m_aSlots[slot];
        if (entry.m_sWord.empty())
            return nullptr;
        if (entry.m_nHash == hash && EqualsRaised(entry.m_sWord, word))
            return &entry;
    }
}

std::span<const CListedWord> ListedRecoWords()
{
    return kRecoWords;
}

std::span<const char16_t* const> ListedDataTypes()
{
    return kDataTypes;
}

std::span<const char16_t* const> ListedStdFunctions()
{
    return kStdFunctions;
}

const CWordIndex& StandardWordIndex()
{
    // Built on first use (thread-safe) and never changed afterwards, so every
    // run and every thread reads the same index.
    static const CWordIndex index = [] {
        // Entered in list order so that a later list's category replaces an
        // earlier one's, as the ordered walk through all three lists decides;
        // within one list the first entry of a word wins.
        CWordIndex built;
        for (auto it = std::rbegin(kRecoWords); it != std::rend(kRecoWords); ++it)
            built.Add(it->m_pWord, TK_KEYWORD, it->m_nCode);
        for (const char16_t* word : kDataTypes)
            built.Add(word, TK_DATATYPE, 0);
        for (const char16_t* word : kStdFunctions)
            built.Add(word, TK_STDFUNCTION, 0);
        return built;
    }();
    return index;
}

// Runs on every word of the input: the look-up is inlined here.
[[gnu::flatten]] void ClassifyWord(CBaseToken& token, const CWordIndex& words)
{
    if (token.m_nKind != TK_WORD)
        return;
    if (const CWordIndex::CEntry* entry = words.Find(token.m_sText))
    {
        token.m_nKind = static_cast<int16_t>(entry->m_nKind);
        token.m_nCode = static_cast<int16_t>(entry->m_nCode);
    }
    else if (IsAllDigits(token.m_sText))
    {
        token.m_nKind = TK_NUMBER;
    }
}
