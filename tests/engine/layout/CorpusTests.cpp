// Properties of Format over every file of the SQL corpus: no token is lost,
// added or reordered, no string literal changes, Format of the output
// finishes too; and how many files change when formatted a second time.
#include "LayoutTestSupport.h"

#include "Tokenizer.h"

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
// everything else without whitespace and with a to z raised.
std::vector<std::u16string> Normalised(const CSQLParser& engine, const std::u16string& text)
{
    CTokenList tokens;
    Tokenize(text, tokens);
    SplitWords(engine, tokens);
    std::vector<std::u16string> out;
    out.reserve(tokens.size());
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
        WriteLayout(engine, engine.m_aTokens, output, &literalLines);
        EXPECT_EQ(literalLines, LinesInsideLiterals(output)) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(OptionSets, CorpusTest, ::testing::ValuesIn(kOptionSets),
                         [](const ::testing::TestParamInfo<OptionSet>& info) {
                             return "Set" + std::to_string(info.index);
                         });

} // namespace
