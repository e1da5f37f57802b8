// The safety check: which changes between input and result it accepts, and
// which it refuses with the first difference named.
#include "TokenCheck.h"

#include "CorpusFiles.h"
#include "Format.h"
#include "Options.h"
#include "ScriptSplitter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <random>

using namespace qmcli;

namespace
{

struct CCheckCase
{
    const char* m_sName;
    std::u16string m_sInput;
    std::u16string m_sOutput;
    bool m_bCommentsRemoved;
    bool m_bHintsKept;
    const char* m_sDifference; // substring of the description; null: the same tokens
};

class TokenCheckTest : public ::testing::TestWithParam<CCheckCase>
{
};

TEST_P(TokenCheckTest, Compares)
{
    const CCheckCase& c = GetParam();
    CTokenCheckRules rules;
    rules.m_bCommentsRemoved = c.m_bCommentsRemoved;
    rules.m_bHintsKept = c.m_bHintsKept;
    const auto difference = CompareTokens(c.m_sInput, c.m_sOutput, rules);
    if (!c.m_sDifference)
    {
        EXPECT_FALSE(difference.has_value()) << difference->Describe();
        return;
    }
    ASSERT_TRUE(difference.has_value());
    EXPECT_NE(difference->Describe().find(c.m_sDifference), std::string::npos)
        << difference->Describe();
}

const CCheckCase kCases[] = {
    // Accepted: layout and case.
    {"NewLayoutAndCase", u"select a,b from t", u"SELECT a\n      ,b\n  FROM t", false, true, nullptr},
    {"OperatorsJoinedAcrossBlanks", u"x : = 1 and a < = b", u"x := 1 AND a <= b", false, true, nullptr},
    {"CommentWhitespaceAndCase", u"/* Hello\n   world */ x", u"/* hello\n world */\nX", false, true, nullptr},
    {"LineCommentCrLf", u"a -- note\r\nb", u"a -- note\nb", false, true, nullptr},
    {"RemovedCommentMayGo", u"x /* gone */ b -- also\n c", u"x b c", true, false, nullptr},
    {"HintKeptWhenComentsRemoved", u"select /*+ full(t) */ a from t", u"SELECT /*+ full(t) */ a FROM t",
     true, true, nullptr},
    {"EmptyBoth", u"", u"", false, true, nullptr},
    {"WhitespaceOnly", u"  \n\t", u"\n", false, true, nullptr},
    {"MarginInsideCommentOnly", u"/*\nx\n*/", u"    /*\n    x\n    */", false, true, nullptr},
    {"PrefixedLiteralWhole", u"x = q'[it's]'", u"X = q'[it's]'", false, true, nullptr},

    // Refused.
    {"WordChanged", u"select a from t", u"select a form t", false, true, "`from` became `form`"},
    {"WordSplit", u"select abc from t", u"select ab c from t", false, true, "`abc` became `ab`"},
    {"TokenLost", u"select a from t", u"select a from", false, true, "`t` is missing"},
    {"TokenAdded", u"select a", u"select a x", false, true, "the result has `x`"},
    {"LiteralCaseChanged", u"x = 'Abc'", u"x = 'abc'", false, true, "`'Abc'` became `'abc'`"},
    {"LiteralBlankChanged", u"x = 'a b'", u"x = 'a  b'", false, true, "became"},
    {"QuotedIdentifierCase", u"select \"Mixed\" from t", u"select \"mixed\" from t", false, true, "became"},
    {"CommentWordChanged", u"a /* keep me */", u"a /* kept me */", false, true, "became"},
    {"CommentLostWhileKept", u"a /* keep */ b", u"a b", false, true, "line 1"},
    {"HintDroppedButKept", u"select /*+ x */ a", u"select a", true, true, "`/*+ x */`"},
    {"DashesBecomeComment", u"a - -b\nc", u"a --b\nc", false, true, "became"},
    {"LiteralLineBreakLost", u"x = 'a\nb'", u"x = 'a b'", false, true, "became"},
    {"LineNumbersInMessage", u"a\nb\nc", u"a\nb\n\nd", false, true, "line 3: `c` became `d` (result line 4)"},
};

INSTANTIATE_TEST_SUITE_P(Cases, TokenCheckTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.m_sName); });

TEST(TokenCheckMessage, LongTokensAreShortenedToOneLine)
{
    const std::u16string longLiteral = u"'" + std::u16string(100, u'x') + u"\n'";
    const auto difference =
        CompareTokens(u"a " + longLiteral, u"a " + longLiteral.substr(1), CTokenCheckRules());
    ASSERT_TRUE(difference.has_value());
    const std::string text = difference->Describe();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_NE(text.find("..."), std::string::npos);
    EXPECT_LT(text.size(), 150u);
}

// The check's verdict comes from a quick walk that reads both texts in place;
// the walk that names the difference must agree with it on every pair, or the
// check would pass a result the report finds wrong (or the reverse).
class CVerdicts
{
public:
    void Expect(std::u16string_view input, std::u16string_view output, const std::string& label)
    {
        Expect(input, SplitScript(input), output, SplitScript(output), label);
    }
    void Expect(std::u16string_view input, const std::vector<CScriptPiece>& inputPieces, std::u16string_view output,
                const std::vector<CScriptPiece>& outputPieces, const std::string& label)
    {
        for (const CTokenCheckRules& rules : kRules)
        {
            const bool quick = HaveSameTokens(input, inputPieces, output, outputPieces, rules);
            const bool precise = !FindTokenDifference(input, inputPieces, output, outputPieces, rules);
            ++(precise ? m_nSame : m_nDifferent);
            if (quick != precise && ++m_nDisagreements <= 10)
                ADD_FAILURE() << label << " (comments removed " << rules.m_bCommentsRemoved << ", hints kept "
                              << rules.m_bHintsKept << "): quick walk says " << (quick ? "same" : "different");
        }
    }
    // Both verdicts must be common, or the pairs test little.
    void ExpectBothVerdicts() const
    {
        EXPECT_GT(m_nSame, m_nDifferent / 20);
        EXPECT_GT(m_nDifferent, m_nSame / 20);
    }

private:
    static constexpr CTokenCheckRules kRules[] = {{false, true}, {true, true}, {true, false}};
    size_t m_nSame = 0;
    size_t m_nDifferent = 0;
    size_t m_nDisagreements = 0;
};

bool IsWordUnit(char16_t c) { return c >= 128 || std::isalnum(c) || c == u'_' || c == u'$' || c == u'#'; }

// Changes of one place in a text, each at the first place at or after pos
// where it applies; false when there is none.
using Mutation = std::function<bool(std::u16string&, size_t pos)>;

size_t FindFrom(std::u16string_view text, size_t pos, const std::function<bool(size_t)>& fits)
{
    for (size_t i = pos; i < text.size(); ++i)
        if (fits(i))
            return i;
    return std::u16string::npos;
}

bool Replace(std::u16string& text, size_t pos, std::u16string_view what, std::u16string_view by)
{
    const size_t at = text.find(what, pos);
    if (at == std::u16string::npos)
        return false;
    text.replace(at, what.size(), by);
    return true;
}

// Flips the case bit of a letter, or of a bracket or other unit above 'A'.
bool FlipCaseFrom(std::u16string& text, size_t pos)
{
    const size_t at = FindFrom(text, pos, [&](size_t i) { return text[i] >= u'A' && text[i] != u'|'; });
    if (at != std::u16string::npos)
        text[at] ^= 0x20;
    return at != std::u16string::npos;
}

// The first comment from pos: its start and end, or npos.
std::pair<size_t, size_t> FindComment(std::u16string_view text, size_t pos)
{
    const size_t start =
        FindFrom(text, pos, [&](size_t i) { return text.substr(i, 2) == u"--" || text.substr(i, 2) == u"/*"; });
    const bool line = start != std::u16string::npos && text[start] == u'-';
    const size_t end = start == std::u16string::npos ? start : text.find(line ? u"\n" : u"*/", start + 2);
    return {start, end == std::u16string::npos ? end : end + (line ? 1 : 2)};
}

bool DropComment(std::u16string& text, size_t pos)
{
    const auto [start, end] = FindComment(text, pos);
    return end != std::u16string::npos && (text.erase(start, end - start), true);
}

// A comment moved past the next line break.
bool MoveComment(std::u16string& text, size_t pos)
{
    const auto [start, end] = FindComment(text, pos);
    if (end == std::u16string::npos)
        return false;
    const std::u16string comment = text.substr(start, end - start);
    text.erase(start, comment.size());
    text.insert(std::min(text.find(u'\n', start), text.size()), (comment[0] == u'-' ? u"\n" : u" ") + comment);
    return true;
}

bool JoinWords(std::u16string& t, size_t pos)
{
    const size_t at = FindFrom(t, pos, [&](size_t i) {
        return i > 0 && i + 1 < t.size() && t[i] == u' ' && IsWordUnit(t[i - 1]) && IsWordUnit(t[i + 1]);
    });
    return at != std::u16string::npos && (t.erase(at, 1), true);
}

bool SplitWord(std::u16string& t, size_t pos)
{
    const size_t at = FindFrom(t, pos, [&](size_t i) { return i > 0 && IsWordUnit(t[i - 1]) && IsWordUnit(t[i]); });
    return at != std::u16string::npos && (t.insert(at, 1, u' '), true);
}

// What the mutations below insert or put in place of a unit.
constexpr std::u16string_view kUnits = u"x '\"-/*\nq+;.";

const std::pair<const char*, Mutation> kMutations[] = {
    {"DropUnit", [](std::u16string& t, size_t pos) { return pos < t.size() && (t.erase(pos, 1), true); }},
    {"InsertUnit", [](std::u16string& t, size_t pos) { return t.insert(pos, 1, kUnits[pos % kUnits.size()]), true; }},
    {"ChangeUnit", [](std::u16string& t, size_t pos)
     { return pos < t.size() && (t[pos] = kUnits[(pos + 5) % kUnits.size()], true); }},
    {"FlipCase", FlipCaseFrom},
    {"FlipCaseInLiteral",
     [](std::u16string& t, size_t pos) { return FlipCaseFrom(t, std::min(t.find(u'\'', pos), t.size())); }},
    {"FlipCaseInQuoted",
     [](std::u16string& t, size_t pos) { return FlipCaseFrom(t, std::min(t.find(u'"', pos), t.size())); }},
    {"JoinWords", JoinWords},
    {"SplitWord", SplitWord},
    {"DropComment", DropComment},
    {"MoveComment", MoveComment},
    {"HintToComment",
     [](std::u16string& t, size_t pos) { return Replace(t, pos, u"/*+", u"/* +") || Replace(t, pos, u"--+", u"--"); }},
    {"CommentToHint",
     [](std::u16string& t, size_t pos) { return Replace(t, pos, u"/* ", u"/*+") || Replace(t, pos, u"-- ", u"--+"); }},
    {"DashesApart", [](std::u16string& t, size_t pos) { return Replace(t, pos, u"--", u"- -"); }},
    {"DashesTogether", [](std::u16string& t, size_t pos) { return Replace(t, pos, u"- ", u"-"); }},
    {"CrLf", [](std::u16string& t, size_t pos) { return Replace(t, pos, u"\n", u"\r\n"); }},
    {"LiteralPrefix",
     [](std::u16string& t, size_t pos)
     {
         const size_t at = t.find(u'\'', pos);
         return at != std::u16string::npos &&
                (t.insert(at, std::u16string_view(u"nqNQ q").substr(pos % 5, 1 + pos % 2)), true);
     }},
    {"BlankAfterPrefix",
     [](std::u16string& t, size_t pos) { return Replace(t, pos, u"q'", u"q '") || Replace(t, pos, u"N'", u"N '"); }},
    {"EscapedApostrophe",
     [](std::u16string& t, size_t pos) { return Replace(t, pos, u"' '", u"''") || Replace(t, pos, u"''", u"' '"); }},
};

// Scripts with what the tokenizer treats apart, each changed in every place
// by every mutation.
const char16_t* const kSeeds[] = {
    u"select q'[it's]', nq'{a}}'', N'x''y', q'<>>'  , n 'z' from t -- note\n/\n",
    u"select /*+ full(t) */ a, b--+ hint\n from t where c = 'a''b' and d = \"Mixed Case\"\r\n;\n",
    (u"begin\n  x := a - -b / 2 -- one\n  /*/ odd */ ;\nend;\n/\nprompt done\n"
     u"-- quillmark: off\nSELECT  1\n-- quillmark: on\nselect 2 from dual;"),
    u"select 'unclosed\n/\nselect \"open\n/\nselect q'(never\n/\nx /* open",
    u"select q'!'!', Q'''', nq'ab'a', q'x' from t where a = b",
    u"select \u8041\u8042\u805a\u8043d, a[b]cd, abc|nq'[x]', abc|q'{y}', DUAL from t",
};

// The seed's pieces with the unit around pos cut in two there.
std::vector<CScriptPiece> CutUnitAt(std::u16string_view text, size_t pos)
{
    std::vector<CScriptPiece> pieces = SplitScript(text);
    for (size_t k = 0; k < pieces.size(); ++k)
    {
        CScriptPiece& piece = pieces[k];
        if (!IsUnit(piece.m_nKind) || pos <= piece.m_nStart || pos >= piece.m_nStart + piece.m_nLength)
            continue;
        CScriptPiece tail = piece;
        tail.m_nStart = pos;
        tail.m_nLength = piece.m_nStart + piece.m_nLength - pos;
        piece.m_nLength = pos - piece.m_nStart;
        pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(k) + 1, tail);
        break;
    }
    return pieces;
}

TEST(TokenCheckVerdicts, AgreeOnChangedScripts)
{
    CVerdicts verdicts;
    for (const char16_t* seed : kSeeds)
        for (const auto& [name, mutate] : kMutations)
            for (size_t pos = 0; pos <= std::u16string_view(seed).size(); ++pos)
            {
                std::u16string changed = seed;
                if (mutate(changed, pos))
                    verdicts.Expect(seed, changed, std::string(name) + " at " + std::to_string(pos));
            }
    // A unit's end ends the word, literal or comment it cuts.
    for (const std::u16string_view seed : kSeeds)
        for (size_t pos = 1; pos < seed.size(); ++pos)
            verdicts.Expect(seed, SplitScript(seed), seed, CutUnitAt(seed, pos), "cut at " + std::to_string(pos));
    verdicts.ExpectBothVerdicts();
}

TEST(TokenCheckVerdicts, AgreeOnFormattedCorpusAndItsChanges)
{
    const std::vector<std::filesystem::path> files = corpus::SqlFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << corpus::Dir();
    CVerdicts verdicts;
    std::mt19937 random(15);
    for (size_t k = 0; k < files.size() && !HasFailure(); ++k)
    {
        const std::u16string input = corpus::ReadText(files[k]);
        const std::u16string output = Format(input, COptions(), MODE_FORMAT).m_sText;
        verdicts.Expect(input, output, files[k].string());
        // Changed results of every fourth file, each with a few mutations.
        for (size_t n = 0; k % 4 == 0 && n < 8 && !output.empty(); ++n)
        {
            const auto& [name, mutate] = kMutations[random() % std::size(kMutations)];
            std::u16string changed = output;
            if (mutate(changed, random() % output.size()))
                verdicts.Expect(input, changed, files[k].string() + ": " + name);
        }
    }
    verdicts.ExpectBothVerdicts();
}

} // namespace
