// Real scripts keep their structure: over every corpus file, under several
// option sets, Format and Capitalise give back every terminator line, command
// line and region left unformatted, exactly and in order, and the safety
// check accepts the result.
#include "CorpusFiles.h"

#include "Format.h"
#include "Options.h"
#include "ScriptSplitter.h"
#include "TokenCheck.h"

#include <gtest/gtest.h>

namespace
{

struct CorpusRun
{
    const char* name;
    int mode;
    void (*setOptions)(COptions&);
};

const CorpusRun kRuns[] = {
    {"FormatDefaults", MODE_FORMAT, nullptr},
    {"FormatLeftNoComments", MODE_FORMAT,
     [](COptions& o) {
         o.m_Alignment.m_bRight = false;
         o.m_Comments.m_bRemoveComments = true;
         o.m_Parentheses.m_nSpace = 3;
         o.m_Commas.m_nListComma = 2;
     }},
    {"FormatDetectedMargin", MODE_FORMAT, [](COptions& o) { o.m_General.m_bAutoDetectLeftMargin = true; }},
    {"CapitaliseMargin", MODE_CAPITALISE, [](COptions& o) { o.m_General.m_nLeftMargin = 4; }},
};

// The pieces kept as they are, in order, with their kinds.
std::vector<std::pair<int, std::u16string>> Structure(std::u16string_view text)
{
    std::vector<std::pair<int, std::u16string>> kept;
    for (const CScriptPiece& piece : SplitScript(text))
        if (piece.m_nKind == PIECE_COMMAND || piece.m_nKind == PIECE_TERMINATOR || piece.m_nKind == PIECE_OFF)
            kept.emplace_back(piece.m_nKind, text.substr(piece.m_nStart, piece.m_nLength));
    return kept;
}

// Lines that hold only "/", counted without the splitter.
size_t SlashLines(std::u16string_view text)
{
    size_t count = 0;
    for (size_t start = 0; start <= text.size();)
    {
        size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos)
            end = text.size();
        std::u16string_view line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == u' ' || line.back() == u'\t' || line.back() == u'\r'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == u' ' || line.front() == u'\t'))
            line.remove_prefix(1);
        count += line == u"/";
        start = end + 1;
    }
    return count;
}

class ScriptCorpusTest : public ::testing::TestWithParam<CorpusRun>
{
};

TEST_P(ScriptCorpusTest, KeepsTheStructure)
{
    const std::vector<std::filesystem::path> files = corpus::SqlFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << corpus::Dir();
    COptions options;
    if (GetParam().setOptions)
        GetParam().setOptions(options);
    qmcli::CTokenCheckRules rules;
    rules.m_bCommentsRemoved = GetParam().mode == MODE_FORMAT && options.m_Comments.m_bRemoveComments;
    rules.m_bHintsKept = options.m_Comments.m_bDontRemoveHints;
    size_t scripts = 0;
    for (const std::filesystem::path& path : files)
    {
        const std::u16string input = corpus::ReadText(path);
        const std::u16string output = Format(input, options, GetParam().mode).m_sText;
        const auto structure = Structure(input);
        scripts += !structure.empty();
        EXPECT_EQ(Structure(output), structure) << path;
        if (!rules.m_bCommentsRemoved) // a "/" line may stand inside a comment
        {
            EXPECT_EQ(SlashLines(output), SlashLines(input)) << path;
        }
        if (auto difference = qmcli::CompareTokens(input, output, rules))
            ADD_FAILURE() << path << ": " << difference->Describe();
        if (HasFailure())
            return;
    }
    EXPECT_GT(scripts, files.size() / 2);
}

INSTANTIATE_TEST_SUITE_P(Corpus, ScriptCorpusTest, ::testing::ValuesIn(kRuns),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
