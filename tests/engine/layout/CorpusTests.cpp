// Properties of Format over every file of the SQL corpus: no token is lost,
// added or reordered, no string literal changes, Format of the output
// finishes too; and how many files change when formatted a second time.
#include "LayoutTestSupport.h"

#include "Tokenizer.h"
#include "WordLists.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace layout_test;
namespace fs = std::filesystem;

namespace
{

fs::path CorpusDir()
{
    if (const char* env = std::getenv("QUILLMARK_CORPUS_DIR"); env && *env)
        return env;
    if (std::string(QUILLMARK_CORPUS_DIR).size() > 0)
        return QUILLMARK_CORPUS_DIR;
    return fs::path(QUILLMARK_TEST_DATA_DIR) / ".." / ".." / ".." / "shared" / "corpus";
}

bool IsValidUtf8(const std::string& bytes)
{
    for (size_t i = 0; i < bytes.size();)
    {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
        if (extra == 4 || (extra > 0 && i + extra >= bytes.size()))
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) >> 6) != 2)
                return false;
        i += extra + 1;
    }
    return true;
}

// UTF-8, or ISO-8859-1 for the few files that are not valid UTF-8.
std::u16string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string bytes = buffer.str();
    if (IsValidUtf8(bytes))
        return Wide(bytes);
    return std::u16string(bytes.begin(), bytes.end());
}

std::vector<fs::path> CorpusFiles()
{
    std::vector<fs::path> files;
    const fs::path dir = CorpusDir();
    if (!fs::is_directory(dir))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
    {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".sql" || ext == ".pks" || ext == ".pkb" || ext == ".tps" || ext == ".tpb"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The text as a sequence of tokens compared loosely: string literals exactly,
// everything else without whitespace and with a to z raised. A script's
// command lines, terminator lines and other pieces kept as they are count as
// one token each, compared exactly.
std::vector<std::u16string> Normalised(const CSQLParser& engine, const std::u16string& text)
{
    std::vector<std::u16string> out;
    CTokenList tokens;
    for (const CScriptPiece& piece : SplitScript(text))
    {
        const std::u16string_view raw = std::u16string_view(text).substr(piece.m_nStart, piece.m_nLength);
        if (!IsUnit(piece.m_nKind))
        {
            if (raw.find_first_not_of(u" \t\r\n") != std::u16string_view::npos)
                out.push_back(u"<kept>" + std::u16string(raw));
            continue;
        }
        Tokenize(raw, tokens);
        SplitWords(engine, tokens);
        for (const CBaseToken& token : tokens)
        {
            std::u16string t;
            for (char16_t c : token.m_sText)
            {
                if (token.m_nKind != TK_STRING && (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'))
                    continue;
                t.push_back(token.m_nKind != TK_STRING && c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c);
            }
            if (!t.empty())
                out.push_back(std::move(t));
        }
    }
    return out;
}

std::u16string FormatText(CSQLParser& engine, const std::u16string& text)
{
    engine.m_sInput = text;
    engine.m_sOutput.clear();
    engine.Process(CSQLParser::MODE_FORMAT);
    return engine.m_sOutput;
}

struct OptionSet
{
    const char* name;
    Setup setup;
};

const OptionSet kOptionSets[] = {
    {"defaults", {}},
    {"left, compact, before-with-space, wrapped lists",
     [](COptions& o) {
         o.m_Alignment.m_bRight = false;
         o.m_Parentheses.m_nSpace = 0;
         o.m_Commas.m_nListComma = 2;
         o.m_Commas.m_nSpace = 3;
         o.m_Select.m_bSelectColumnListStyle = true;
         o.m_Select.m_bFromClauseStyle = true;
         o.m_Select.m_bGroupByClauseStyle = true;
         o.m_Select.m_bOrderByClauseStyle = true;
     }},
    {"spaced parentheses, corrections, comments on own lines",
     [](COptions& o) {
         o.m_Parentheses.m_nSpace = 3;
         o.m_Commas.m_nSpace = 1;
         o.m_Commas.m_nStackedWrappedLength = 10;
         o.m_Commas.m_nRightMarginLength = 40;
         o.m_Commas.m_nListCommaCorrection = 2;
         o.m_Select.m_nColumnListComma = 0;
         o.m_Select.m_nWithListComma = 1;
         o.m_Select.m_nAlignColumnListCorrection = 3;
         o.m_Select.m_nAlignFromListCorrection = 1;
         o.m_Select.m_bAlignColumnsAfterDistinct = true;
         o.m_Case.m_bCaseWhenThenInSameLine = true;
         o.m_Comments.m_bCommentsOnNewLineBefore = true;
         o.m_Comments.m_bCommentsOnNewLineAfter = true;
         o.m_Comments.m_bCommentsOnNewLineLikeInInputSQL = false;
     }},
    {"space inside, left, comments on the running line",
     [](COptions& o) {
         o.m_Alignment.m_bRight = false;
         o.m_Parentheses.m_nSpace = 2;
         o.m_Select.m_nFromListComma = 2;
         o.m_Select.m_bNewLineBeforeAsKeyword = false;
         o.m_Comments.m_bCommentsOnNewLineLikeInInputSQL = false;
         o.m_General.m_nLeftMargin = 4;
     }},
};

class CorpusTest : public ::testing::TestWithParam<OptionSet>
{
};

TEST_P(CorpusTest, KeepsEveryTokenAndLiteral)
{
    const std::vector<fs::path> files = CorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << CorpusDir();
    CSQLParser engine;
    if (GetParam().setup)
        GetParam().setup(engine.m_Options);
    size_t changedTwice = 0;
    for (const fs::path& path : files)
    {
        const std::u16string input = ReadText(path);
        if (input.empty())
            continue;
        const std::u16string once = FormatText(engine, input);
        const std::vector<std::u16string> in = Normalised(engine, input);
        const std::vector<std::u16string> out = Normalised(engine, once);
        if (in != out)
        {
            size_t i = 0;
            while (i < in.size() && i < out.size() && in[i] == out[i])
                ++i;
            ADD_FAILURE() << path << ": tokens differ at " << i << ": input \""
                          << (i < in.size() ? Narrow(in[i]) : "<end>") << "\", output \""
                          << (i < out.size() ? Narrow(out[i]) : "<end>") << "\"";
        }
        if (FormatText(engine, once) != once)
            ++changedTwice;
    }
    std::cout << "[ corpus   ] " << GetParam().name << ": " << files.size() << " files, " << changedTwice
              << " change when formatted twice\n";
}

// Format takes the lines of its output that begin inside a literal from the
// writer instead of scanning the output again: both must agree.
TEST_P(CorpusTest, WriterFindsTheLinesInsideLiterals)
{
    const std::vector<fs::path> files = CorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << CorpusDir();
    CSQLParser engine;
    if (GetParam().setup)
        GetParam().setup(engine.m_Options);
    std::u16string output;
    std::vector<int32_t> literalLines;
    for (const fs::path& path : files)
    {
        Tokenize(ReadText(path), engine.m_aTokens);
        SplitWords(engine, engine.m_aTokens);
        Analyse(engine, engine.m_aTokens, true);
        for (const CBaseToken& token : engine.m_aTokens)
            ExpectTextLinesHold(token, path.string() + " line " + std::to_string(token.m_nLine));
        WriteLayout(engine, engine.m_aTokens, output, &literalLines);
        EXPECT_EQ(literalLines, LinesInsideLiterals(output)) << path;
    }
}

// The line of a token's last character (a line comment's closing line feed
// ends its own line, it does not start the next).
int32_t LastLine(const CBaseToken& token)
{
    std::u16string_view text = token.m_sText;
    if (!text.empty() && text.back() == u'\n')
        text.remove_suffix(1);
    return token.m_nLine + static_cast<int32_t>(std::count(text.begin(), text.end(), u'\n'));
}

// For each comment of the tokens, in order: whether it stands alone on its
// line(s), with no token before it on its first line and none after it on its
// last.
std::vector<bool> CommentsAlone(const CTokenList& tokens)
{
    std::vector<bool> alone;
    for (size_t i = 0; i < tokens.size(); ++i)
    {
        const CBaseToken& token = tokens[i];
        if (token.m_nKind != TK_COMMENT)
            continue;
        const bool startsLine = i == 0 || LastLine(tokens[i - 1]) < token.m_nLine;
        const bool endsLine = i + 1 == tokens.size() || tokens[i + 1].m_nLine > LastLine(token);
        alone.push_back(startsLine && endsLine);
    }
    return alone;
}

// The same for the tokens of a text as Format sees them (a colon joined with
// the comment after it makes a bind variable, not a comment).
std::vector<bool> CommentsAlone(CSQLParser& engine, const std::u16string& text)
{
    CTokenList tokens;
    Tokenize(text, tokens);
    SplitWords(engine, tokens);
    Analyse(engine, tokens, true);
    return CommentsAlone(tokens);
}

// Where the layout put a token: the column it starts in and the column after
// it. The layout writes every token's text unchanged, in order, with only
// blanks and line feeds between.
struct Placement
{
    int64_t start;
    int64_t after;
};

std::vector<Placement> PlaceTokens(const CTokenList& tokens, std::u16string_view layout)
{
    std::vector<Placement> placements;
    size_t pos = 0;
    size_t lineStart = 0;
    for (const CBaseToken& token : tokens)
    {
        for (; pos < layout.size() && (layout[pos] == u' ' || layout[pos] == u'\n'); ++pos)
            if (layout[pos] == u'\n')
                lineStart = pos + 1;
        if (layout.substr(pos, token.m_sText.size()) != token.m_sText)
            break;
        Placement placement{int64_t(pos - lineStart), 0};
        for (char16_t c : token.m_sText)
            if (++pos, c == u'\n')
                lineStart = pos;
        placement.after = int64_t(pos - lineStart);
        placements.push_back(placement);
    }
    return placements;
}

bool IsParenthesis(const CBaseToken& token, char16_t c)
{
    return token.m_nKind == TK_DELIMITER && token.m_sText.size() == 1 && token.m_sText[0] == c;
}

// For each comment the layout wrote by its rules, in order: whether it had an
// indentation column, so that a break before it gives it a line of its own.
// It has one when its level's SELECT list is anchored, or when the level's
// anchor, taken from the level's first token as it stands in the layout, is
// not the -1 that means unset. Worked out from the placed tokens alone, so
// that it does not share the comment rule's idea of "unset".
std::vector<bool> CommentsWithIndentColumn(const COptions& options, const CTokenList& tokens,
                                           const std::vector<Placement>& at)
{
    struct Level
    {
        bool stacked;
        bool counted = false;
        bool anchorSet = false;
        bool selectList = false;
    };
    const int32_t paren = options.m_Parentheses.m_nSpace;
    const COptions::CCommas& commas = options.m_Commas;
    auto takeAnchor = [&](Level& level, int64_t after, int64_t length) {
        if (level.counted)
            return;
        int64_t anchor = after - length - 1;
        if (paren == PAREN_BEFORE || paren == PAREN_BEFORE_INSIDE)
            ++anchor;
        if (level.stacked && commas.m_nListComma == COMMA_BEFORE_SPACE)
            --anchor;
        level.anchorSet = anchor != -1;
        level.counted = true;
    };
    const std::vector<int64_t> groupLengths = MeasureGroups(tokens);
    size_t nextGroup = 0;
    std::vector<Level> levels{Level{true}};
    std::vector<bool> result;
    for (size_t i = 0; i < tokens.size() && i < at.size(); ++i)
    {
        const CBaseToken& token = tokens[i];
        Level& level = levels.back();
        if (IsParenthesis(token, u'('))
        {
            const bool spaced = paren == PAREN_BEFORE_INSIDE || (paren == PAREN_BEFORE && level.counted) ||
                                (paren == PAREN_INSIDE && !level.counted);
            const int64_t before = at[i].start - (spaced ? 1 : 0);
            const bool wrapped =
                groupLengths[nextGroup++] < commas.m_nStackedWrappedLength && before < commas.m_nRightMarginLength;
            levels.push_back(Level{!wrapped});
            continue;
        }
        if (IsParenthesis(token, u')'))
        {
            if (levels.size() == 1)
                break; // the rest is copied without layout
            levels.pop_back();
            takeAnchor(levels.back(), at[i].after, 1);
            continue;
        }
        if (token.m_nKind == TK_COMMENT)
        {
            result.push_back(level.selectList || level.anchorSet);
            continue;
        }
        if (token.m_nKind == TK_KEYWORD && (token.m_nCode == KW_SELECT || token.m_nCode == KW_DISTINCT))
            level.selectList = true;
        else if (token.m_nKind == TK_KEYWORD && (token.m_nCode == KW_FROM || token.m_nCode == KW_WHERE))
            level.selectList = false;
        takeAnchor(level, at[i].after, token.m_nLength);
    }
    return result;
}

class CorpusCommentLineTest : public ::testing::TestWithParam<OptionSet>
{
};

// With the default comment options, a comment alone on its line in the input
// is alone on its line in the output wherever it has an indentation column,
// also where the level's anchor lies left of the first column.
TEST_P(CorpusCommentLineTest, CommentAloneOnItsLineStaysAlone)
{
    const std::vector<fs::path> files = CorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << CorpusDir();
    CSQLParser engine;
    GetParam().setup(engine.m_Options);
    size_t checked = 0;
    for (const fs::path& path : files)
    {
        // Unit by unit, as Format lays a script out, so that the engine's
        // tokens are those of the unit.
        const std::u16string script = ReadText(path);
        for (const CScriptPiece& piece : SplitScript(script))
        {
            if (!IsUnit(piece.m_nKind))
                continue;
            const std::u16string input = script.substr(piece.m_nStart, piece.m_nLength);
            const std::u16string output = FormatText(engine, input);
            const std::vector<bool> inputAlone = CommentsAlone(engine.m_aTokens);
            const std::vector<bool> outputAlone = CommentsAlone(engine, output);
            ASSERT_EQ(inputAlone.size(), outputAlone.size()) << path << ": comments lost or added";

            std::u16string layout;
            WriteLayout(engine, engine.m_aTokens, layout);
            const std::vector<Placement> placements = PlaceTokens(engine.m_aTokens, layout);
            const std::vector<bool> indented = CommentsWithIndentColumn(engine.m_Options, engine.m_aTokens, placements);
            for (size_t i = 0; i < indented.size(); ++i)
            {
                if (!inputAlone[i] || !indented[i])
                    continue;
                ++checked;
                EXPECT_TRUE(outputAlone[i]) << path << ": comment " << i + 1 << " joined to a line";
            }
        }
    }
    std::cout << "[ corpus   ] " << GetParam().name << ": " << checked << " comments alone on their lines\n";
}

const OptionSet kCommentLineSets[] = {
    {"compact",
     [](COptions& o) {
         o.m_Parentheses.m_nSpace = PAREN_COMPACT;
         o.m_Commas.m_nListComma = COMMA_BEFORE_SPACE;
     }},
    {"space inside",
     [](COptions& o) {
         o.m_Parentheses.m_nSpace = PAREN_INSIDE;
         o.m_Commas.m_nListComma = COMMA_BEFORE_SPACE;
     }},
};

INSTANTIATE_TEST_SUITE_P(ParenSpacings, CorpusCommentLineTest, ::testing::ValuesIn(kCommentLineSets),
                         [](const ::testing::TestParamInfo<OptionSet>& info) {
                             return "Set" + std::to_string(info.index);
                         });

INSTANTIATE_TEST_SUITE_P(OptionSets, CorpusTest, ::testing::ValuesIn(kOptionSets),
                         [](const ::testing::TestParamInfo<OptionSet>& info) {
                             return "Set" + std::to_string(info.index);
                         });

} // namespace
