// The word lists: the recognised-word table (keywords with their codes), the
// data types and the standard functions, and the classification of words by
// them.
#pragma once

#include "BaseToken.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Recognised-word codes; the layout rules are written in terms of these.
enum RecoCode
{
    KW_SELECT = 1,
    KW_INTO = 2,
    KW_INSERT = 3,
    KW_DELETE = 4,
    KW_UPDATE = 5,
    KW_SET = 6,
    KW_MERGE = 7,
    KW_CREATE = 8,
    KW_ALTER = 9,
    KW_DROP = 10,
    KW_TABLE = 11,
    KW_INDEX = 12,
    KW_SEQUENCE = 13,
    KW_TABLESPACE = 14,
    KW_PCTFREE = 15,
    KW_INITRANS = 16,
    KW_MAXTRANS = 17,
    KW_STORAGE = 18,
    KW_INITIAL = 19,
    KW_NEXT = 20,
    KW_MINEXTENTS = 21,
    KW_MAXEXTENTS = 22,
    KW_UNLIMITED = 23,
    KW_REPLACE = 24,
    KW_COMMIT = 25,
    KW_FROM = 26,
    KW_WHERE = 27,
    KW_AS = 28,
    KW_VALUES = 29,
    KW_AND = 30,
    KW_NOT = 31,
    KW_OR = 32,
    KW_IN = 33,
    KW_EXISTS = 34,
    KW_LIKE = 35,
    KW_IS = 36,
    KW_BETWEEN = 37,
    KW_NULL = 38,
    KW_GRANT = 39,
    KW_EXECUTE = 40,
    KW_TO = 41,
    KW_IMMEDIATE = 42,
    KW_BEGIN = 43,
    KW_END = 44,
    KW_DECLARE = 45,
    KW_EXCEPTION = 46,
    KW_OTHERS = 47,
    KW_PROCEDURE = 48,
    KW_FUNCTION = 49,
    KW_EXIT = 50,
    KW_RETURN = 51,
    KW_DEFAULT = 52,
    KW_OPEN = 53,
    KW_FOR = 54,
    KW_WHILE = 55,
    KW_LOOP = 56,
    KW_ORDER = 57,
    KW_BY = 58,
    KW_ASC = 59,
    KW_DESC = 60,
    KW_GROUP = 61,
    KW_HAVING = 62,
    KW_UNION = 63,
    KW_ALL = 64,
    KW_MINUS = 65,
    KW_DISTINCT = 66,
    KW_INTERSECT = 67,
    KW_FULL = 68,
    KW_INNER = 69,
    KW_OUTER = 70,
    KW_LEFT = 71,
    KW_RIGHT = 72,
    KW_JOIN = 73,
    KW_ON = 74,
    KW_CASE = 75,
    KW_WHEN = 76,
    KW_THEN = 77,
    KW_ELSE = 78,
    KW_IF = 79,
    KW_ELSIF = 80,
    KW_MODEL = 81,
    KW_DIMENSION = 82,
    KW_MEASURES = 83,
    KW_RULES = 84,
    KW_ITERATE = 85,
    KW_UNTIL = 86,
    KW_WITH = 87,
    KW_START = 88,
    KW_CONNECT = 89,
    KW_PRIOR = 90,
    KW_LEVEL = 91,
    KW_NOCYCLE = 92,
    KW_OVER = 93,
    KW_PARTITION = 94,
    KW_ROWS = 95,
    KW_PRECEDING = 96,
    KW_UNBOUNDED = 97,
    KW_CURRENT = 98,
    KW_ROW = 99,
    KW_FOLLOWING = 100,
    KW_BULK = 101,
    KW_COLLECT = 102,
    KW_LIMIT = 103,
    KW_FORALL = 104,
    KW_PACKAGE = 105,
    KW_BODY = 106,
    KW_PIVOT = 107,
    KW_PASSING = 108,
    KW_FIELD = 109,
    KW_COLUMNS = 110,
    // Recognised words that no layout rule tests.
    KW_TRUE = 201,
    KW_FALSE = 202,
    KW_TYPE = 203,
};

// The three lists as one hash table. A word found there gets the category the
// ordered walk through the three lists gives it: the standard functions win
// over the data types, which win over the keywords (so REPLACE is a standard
// function with code 0).
class CWordIndex
{
public:
    struct CEntry
    {
        std::u16string m_sWord; // with a to z raised to A to Z
        int32_t m_nKind = TK_WORD;
        int32_t m_nCode = 0;
        uint32_t m_nHash = 0;
    };

    void Clear();
    // Adds a word with the category it gets from its list; a later list's
    // category replaces an earlier one's.
    void Add(std::u16string_view word, int32_t kind, int32_t code);
    // The entry of a word compared with A to Z equal to a to z, or null.
    const CEntry* Find(std::u16string_view word) const;

private:
    static constexpr size_t kMaxWord = 32; // longer than every listed word
    // Made of the length and the first, middle and last units, each taken the
    // same in either case: every word of the input is looked up, so the hash
    // does not read the whole word.
    static uint32_t Hash(std::u16string_view word);
    void Grow();

    // Whether some entry of the length may have the first unit given, by bit
    // (first unit % 32, the same for both cases of a letter): many names of
    // the input are turned away by this test before they are hashed.
    static uint32_t FirstUnitBit(char16_t first);
    std::array<uint32_t, kMaxWord + 1> m_aFirstUnits{};

    std::vector<CEntry> m_aSlots;         // open addressing, power-of-two size
    size_t m_nUsed = 0;
};

// An entry of the recognised-word table: the keyword in upper case and its code.
struct CListedWord
{
    const char16_t* m_pWord;
    int32_t m_nCode;
};

// The three word lists in their fixed order.
std::span<const CListedWord> ListedRecoWords();
std::span<const char16_t* const> ListedDataTypes();
std::span<const char16_t* const> ListedStdFunctions();

// The three lists indexed once for the whole process and shared read-only.
const CWordIndex& StandardWordIndex();

// Gives a TK_WORD token its category: keyword with its code, data type,
// standard function or number. Other kinds are left alone.
void ClassifyWord(CBaseToken& token, const CWordIndex& words);
