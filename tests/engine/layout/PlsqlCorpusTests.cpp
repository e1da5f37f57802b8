// Properties of the PL/SQL layout over every PL/SQL unit of the corpus, under
// several option sets: every token is kept in order, formatting the output
// again changes nothing, every block word stands at its opener's column, and
// no line holds two statements.
#include "LayoutTestSupport.h"

#include "CorpusFiles.h"
#include "Format.h"
#include "ScriptSplitter.h"
#include "Tokenizer.h"

#include <cctype>
#include <iostream>

using namespace layout_test;
namespace fs = std::filesystem;

namespace
{

struct CLine
{
    std::vector<const CBaseToken*> tokens; // without comments
    int64_t column = 0;
};

// The output's lines of tokens, with the column of each line's first token.
std::vector<CLine> TokenLines(const std::u16string& text, CTokenList& tokens)
{
    TokenizeWords(CTokenScanner::kStandardDelimiters, text, tokens);
    std::vector<CLine> lines;
    int32_t lastLine = 0;
    for (const CBaseToken& token : tokens)
    {
        if (token.m_nKind == TK_COMMENT)
            continue;
        if (token.m_nLine != lastLine)
        {
            CLine line;
            const size_t start = text.rfind(u'\n', token.m_nOffset - 1);
            line.column = int64_t(token.m_nOffset - 1) - (start == std::u16string::npos ? 0 : int64_t(start) + 1);
            lines.push_back(line);
            lastLine = token.m_nLine;
        }
        lines.back().tokens.push_back(&token);
    }
    return lines;
}

bool Is(const CBaseToken* token, std::u16string_view word)
{
    if (token->m_sText.size() != word.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k)
    {
        char16_t c = token->m_sText[k];
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 32);
        if (c != word[k])
            return false;
    }
    return true;
}

// Every END, ELSE, ELSIF, EXCEPTION and BEGIN line of the output at the
// column of the line that opened its block, found by a walk of its own: a
// statement starts a line after ";" or a word that opens a block, it opens a
// block by its first and last words (IF ... THEN, FOR ... LOOP, a header's
// IS or AS), and the words of CASE expressions are passed over. Returns what
// is wrong, or nothing.
std::string CheckBlockColumns(const std::u16string& text)
{
    CTokenList tokens;
    const std::vector<CLine> lines = TokenLines(text, tokens);
    struct COpen
    {
        char kind; // 'B' block, 'D' declarations, 'I' if, 'L' loop, 'C' case
        int64_t column;
    };
    std::vector<COpen> open;
    int caseExpressions = 0;
    int parens = 0;
    const CBaseToken* previous = nullptr;
    const CBaseToken* statement = nullptr; // first word of the current statement
    int64_t statementColumn = 0;
    auto fail = [&](size_t lineIndex, const char* what) {
        std::string line;
        for (const CBaseToken* t : lines[lineIndex].tokens)
            line += Narrow(t->m_sText) + " ";
        std::string stack;
        for (const COpen& o : open)
            stack += std::string(1, o.kind) + std::to_string(o.column) + " ";
        return std::string(what) + " at line " + std::to_string(lines[lineIndex].tokens.front()->m_nLine) +
               ", column " + std::to_string(lines[lineIndex].column) + ": " + line + "(open: " + stack + ")";
    };
    auto expect = [&](char kind, int64_t column) {
        return !open.empty() && open.back().kind == kind && open.back().column == column;
    };
    auto isHeaderWord = [](const CBaseToken* t) {
        for (const char16_t* word : {u"CREATE", u"PROCEDURE", u"FUNCTION", u"MEMBER", u"STATIC", u"CONSTRUCTOR",
                                     u"OVERRIDING", u"FINAL", u"MAP", u"ORDER", u"NOT"})
            if (Is(t, word))
                return true;
        return false;
    };
    for (size_t l = 0; l < lines.size(); ++l)
    {
        const CLine& line = lines[l];
        const CBaseToken* first = line.tokens.front();
        const bool opensStatement =
            caseExpressions == 0 && parens == 0 &&
            (!previous || Is(previous, u";") || Is(previous, u"THEN") || Is(previous, u"ELSE") ||
             Is(previous, u"LOOP") || Is(previous, u"BEGIN") || Is(previous, u"IS") || Is(previous, u"AS") ||
             Is(previous, u"DECLARE") || Is(previous, u"EXCEPTION") || Is(previous, u">>") ||
             previous->m_sText[0] == u'$' ||
             Is(first, u"BEGIN") || Is(first, u"DECLARE"));
        if (opensStatement)
        {
            const int64_t column = line.column;
            statement = first;
            statementColumn = column;
            if (Is(first, u"BEGIN"))
            {
                if (!open.empty() && open.back().kind == 'D' && Is(previous, u"IS"))
                    open.back().kind = 'B';
                else if (!open.empty() && open.back().kind == 'D' && open.back().column == column)
                    open.back().kind = 'B';
                else if (!open.empty() && open.back().kind == 'D' && !Is(previous, u";"))
                    open.back().kind = 'B';
                else
                    open.push_back({'B', column});
                if (open.back().column != column)
                    return fail(l, "BEGIN not under its declarations' opener");
            }
            else if (Is(first, u"DECLARE"))
                open.push_back({'D', column});
            else if (Is(first, u"EXCEPTION"))
            {
                if (!expect('B', column))
                    return fail(l, "EXCEPTION not under its BEGIN");
            }
            else if (Is(first, u"END"))
            {
                const CBaseToken* word = line.tokens.size() > 1 ? line.tokens[1] : nullptr;
                const char kind = word && Is(word, u"IF")     ? 'I'
                                  : word && Is(word, u"LOOP") ? 'L'
                                  : word && Is(word, u"CASE") ? 'C'
                                                              : 'B';
                if (!(expect(kind, column) || (kind == 'B' && expect('D', column))))
                    return fail(l, "END not under its opener");
                open.pop_back();
            }
            else if (Is(first, u"ELSIF") || (Is(first, u"ELSE") && !open.empty() && open.back().kind == 'I'))
            {
                if (!expect('I', column))
                    return fail(l, "ELSIF or ELSE not under its IF");
            }
            else if (Is(first, u"CASE"))
                open.push_back({'C', column});
        }
        for (size_t k = 0; k < line.tokens.size(); ++k)
        {
            const CBaseToken* t = line.tokens[k];
            const bool atTop = caseExpressions == 0 && parens == 0 && statement;
            if (atTop && Is(t, u"THEN") && Is(statement, u"IF"))
                open.push_back({'I', statementColumn});
            else if (atTop && Is(t, u"LOOP") && !Is(statement, u"END") && !Is(statement, u"EXIT") &&
                     !Is(statement, u"CONTINUE"))
                open.push_back({'L', statementColumn});
            else if (atTop && (Is(t, u"IS") || Is(t, u"AS")) && k + 1 == line.tokens.size() && isHeaderWord(statement))
                open.push_back({'D', statementColumn});
            if (Is(t, u"CASE") && !(opensStatement && t == first) && !(previous && Is(previous, u"END")))
                ++caseExpressions;
            else if (Is(t, u"END") && caseExpressions > 0)
                --caseExpressions;
            else if (Is(t, u"("))
                ++parens;
            else if (Is(t, u")") && parens > 0)
                --parens;
            previous = t;
        }
    }
    return {};
}

// A ";" that ends a statement is the last token of its line.
std::string CheckOneStatementPerLine(const std::u16string& text)
{
    CTokenList tokens;
    const std::vector<CLine> lines = TokenLines(text, tokens);
    for (const CLine& line : lines)
        for (size_t k = 0; k + 1 < line.tokens.size(); ++k)
            if (Is(line.tokens[k], u";"))
            {
                std::string out;
                for (const CBaseToken* t : line.tokens)
                    out += Narrow(t->m_sText) + " ";
                return "two statements on one line: " + out;
            }
    return {};
}

struct OptionSet
{
    const char* name;
    Setup setup;
};

const OptionSet kOptionSets[] = {
    {"defaults", {}},
    {"left, before comma, compact, indent 4",
     [](COptions& o) {
         o.m_Alignment.m_bRight = false;
         o.m_Commas.m_nListComma = COMMA_BEFORE;
         o.m_Parentheses.m_nSpace = PAREN_COMPACT;
         o.m_Plsql.m_nBlockIndent = 4;
     }},
    {"margin 60, before comma with space, spaced parentheses, comments on own lines",
     [](COptions& o) {
         o.m_Commas.m_nRightMarginLength = 60;
         o.m_Commas.m_nListComma = COMMA_BEFORE_SPACE;
         o.m_Commas.m_nSpace = COMMASPACE_BOTH;
         o.m_Parentheses.m_nSpace = PAREN_BEFORE_INSIDE;
         o.m_Comments.m_bCommentsOnNewLineBefore = true;
         o.m_Comments.m_bCommentsOnNewLineLikeInInputSQL = false;
         o.m_Capitalisation.m_nKeywords = CAP_LOWER;
     }},
    {"removed comments, indent 3, space inside",
     [](COptions& o) {
         o.m_Comments.m_bRemoveComments = true;
         o.m_Plsql.m_nBlockIndent = 3;
         o.m_Parentheses.m_nSpace = PAREN_INSIDE;
         o.m_Case.m_bCaseWhenThenInSameLine = true;
     }},
};

class PlsqlCorpusTest : public ::testing::TestWithParam<OptionSet>
{
};

TEST_P(PlsqlCorpusTest, KeepsTokensIsStableAndAlignsBlocks)
{
    const std::vector<fs::path> files = corpus::SqlFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << corpus::Dir();
    COptions options;
    if (GetParam().setup)
        GetParam().setup(options);
    const bool commentsRemoved = options.m_Comments.m_bRemoveComments;
    size_t units = 0;
    size_t changedTwice = 0;
    std::vector<std::string> filesChangedTwice;
    for (const fs::path& path : files)
    {
        const std::u16string text = corpus::ReadText(path);
        bool fileChanged = false;
        for (const CScriptPiece& piece : SplitScript(text))
        {
            if (piece.m_nKind != PIECE_PLSQL)
                continue;
            ++units;
            const std::u16string unit = text.substr(piece.m_nStart, piece.m_nLength);
            const std::u16string once = Format(unit, options, MODE_FORMAT).m_sText;
            const std::vector<std::u16string> in = LooseTokens(unit, commentsRemoved);
            const std::vector<std::u16string> out = LooseTokens(once, commentsRemoved);
            if (in != out)
            {
                size_t i = 0;
                while (i < in.size() && i < out.size() && in[i] == out[i])
                    ++i;
                ADD_FAILURE() << path << ": tokens differ at " << i << ": input \""
                              << (i < in.size() ? Narrow(in[i]) : "<end>") << "\", output \""
                              << (i < out.size() ? Narrow(out[i]) : "<end>") << "\"";
            }
            if (Format(once, options, MODE_FORMAT).m_sText != once)
            {
                ++changedTwice;
                fileChanged = true;
            }
            if (const std::string wrong = CheckBlockColumns(once); !wrong.empty())
                ADD_FAILURE() << path << ": " << wrong;
            if (const std::string wrong = CheckOneStatementPerLine(once); !wrong.empty())
                ADD_FAILURE() << path << ": " << wrong;
        }
        if (fileChanged)
            filesChangedTwice.push_back(path.string());
    }
    std::cout << "[ corpus   ] " << GetParam().name << ": " << units << " PL/SQL units in " << files.size()
              << " files, " << changedTwice << " units (" << filesChangedTwice.size()
              << " files) change when formatted twice\n";
    for (size_t i = 0; i < filesChangedTwice.size() && i < 10; ++i)
        std::cout << "             " << filesChangedTwice[i] << "\n";
    EXPECT_EQ(changedTwice, 0u);
}

INSTANTIATE_TEST_SUITE_P(OptionSets, PlsqlCorpusTest, ::testing::ValuesIn(kOptionSets),
                         [](const ::testing::TestParamInfo<OptionSet>& info) {
                             return "Set" + std::to_string(info.index);
                         });

} // namespace
