// Every file of the corpus of real SQL settles within the passes allowed, in
// Format and in Capitalise, and the number of passes each took is reported;
// formatting the lines of one unit leaves all the text around it as it was.
#include "FixedPoint.h"
#include "Options.h"
#include "ScriptSplitter.h"
#include "SQLParser.h"
#include "SourceFiles.h"
#include "SqlFileText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using namespace qmcli;

namespace
{

fs::path CorpusDir()
{
    if (const char* env = std::getenv("QUILLMARK_CORPUS_DIR"); env && *env)
        return env;
    return QUILLMARK_CORPUS_DIR;
}

TEST(CorpusFixedPointTest, EveryFileSettles)
{
    const fs::path corpus = CorpusDir();
    if (corpus.empty() || !fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus at '" << corpus.string() << "' (set QUILLMARK_CORPUS_DIR)";
    CFormatWorkspace workspace;
    const COptions options;
    for (int mode : {CSQLParser::MODE_FORMAT, CSQLParser::MODE_CAPITALISE})
    {
        std::map<int, size_t> passes; // runs of the engine -> files
        for (const auto& entry : fs::recursive_directory_iterator(corpus))
        {
            if (!entry.is_regular_file() || !IsSqlSourceName(entry.path().filename().string()))
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            CSqlText text;
            std::string error;
            if (!DecodeSqlText(bytes.str(), kCodePageUtf8, text, error) &&
                !DecodeSqlText(bytes.str(), kCodePageLatin1, text, error))
                continue;
            CFixedPointSettings settings;
            settings.m_nMode = mode;
            const CFixedPointResult result = FormatToFixedPoint(workspace, text.m_sText, options, settings);
            EXPECT_EQ(result.m_sError, "") << entry.path();
            ++passes[result.m_nPasses];
        }
        std::ostringstream report;
        for (const auto& [count, files] : passes)
            report << " " << files << " file(s) in " << count << " run(s);";
        std::cout << (mode == CSQLParser::MODE_FORMAT ? "Format:" : "Capitalise:") << report.str() << "\n";
        EXPECT_FALSE(passes.empty());
    }
}

// The corpus's files, decoded (UTF-8, or Latin-1 where that fails).
std::vector<std::pair<fs::path, std::u16string>> CorpusTexts(const fs::path& corpus)
{
    std::vector<std::pair<fs::path, std::u16string>> texts;
    for (const auto& entry : fs::recursive_directory_iterator(corpus))
    {
        if (!entry.is_regular_file() || !IsSqlSourceName(entry.path().filename().string()))
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        CSqlText text;
        std::string error;
        if (DecodeSqlText(bytes.str(), kCodePageUtf8, text, error) ||
            DecodeSqlText(bytes.str(), kCodePageLatin1, text, error))
            texts.emplace_back(entry.path(), std::move(text.m_sText));
    }
    return texts;
}

// A long script settles on two threads as on one: its units are formatted,
// and its sections checked, on both.
TEST(CorpusFixedPointTest, LongScriptOnTwoThreads)
{
    const fs::path corpus = CorpusDir();
    if (corpus.empty() || !fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus at '" << corpus.string() << "' (set QUILLMARK_CORPUS_DIR)";
    auto texts = CorpusTexts(corpus);
    std::sort(texts.begin(), texts.end());
    std::u16string script;
    for (const auto& [path, text] : texts)
    {
        if (script.size() > 2 * 1024 * 1024)
            break;
        script += text;
        if (!script.empty() && script.back() != u'\n')
            script += u'\n';
        script += u"/\n";
    }
    const COptions options;
    for (int mode : {CSQLParser::MODE_FORMAT, CSQLParser::MODE_CAPITALISE})
    {
        SCOPED_TRACE(mode);
        CFormatWorkspace workspace;
        CFixedPointSettings settings;
        settings.m_nMode = mode;
        const CFixedPointResult one = FormatToFixedPoint(workspace, script, options, settings);
        settings.m_nThreads = 2;
        const CFixedPointResult two = FormatToFixedPoint(workspace, script, options, settings);
        EXPECT_EQ(one.m_sError, "");
        EXPECT_EQ(two.m_sError, one.m_sError);
        EXPECT_EQ(two.m_nPasses, one.m_nPasses);
        EXPECT_TRUE(two.m_sText == one.m_sText);
    }
}

// Every file settles unit by unit to what running the whole text again and
// again gives, with comments kept and removed.
TEST(CorpusFixedPointTest, SettlingByUnitsGivesWhatRunsOverTheWholeTextGive)
{
    const fs::path corpus = CorpusDir();
    if (corpus.empty() || !fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus at '" << corpus.string() << "' (set QUILLMARK_CORPUS_DIR)";
    CFormatWorkspace workspace;
    for (bool removeComments : {false, true})
    {
        COptions options;
        options.m_Comments.m_bRemoveComments = removeComments;
        for (const auto& [path, text] : CorpusTexts(corpus))
        {
            CFixedPointSettings settings;
            const CFixedPointResult byUnits = FormatToFixedPoint(workspace, text, options, settings);
            settings.m_DamageEachRun = [](std::u16string&) {}; // the whole text runs again and again
            const CFixedPointResult whole = FormatToFixedPoint(workspace, text, options, settings);
            EXPECT_TRUE(byUnits.m_sText == whole.m_sText && byUnits.m_nPasses == whole.m_nPasses &&
                        byUnits.m_sError == whole.m_sError)
                << path << (removeComments ? " with comments removed" : "");
        }
    }
}

TEST(CorpusFixedPointTest, LinesOfOneUnitLeaveTheRestAlone)
{
    const fs::path corpus = CorpusDir();
    if (corpus.empty() || !fs::is_directory(corpus))
        GTEST_SKIP() << "no corpus at '" << corpus.string() << "' (set QUILLMARK_CORPUS_DIR)";
    CFormatWorkspace workspace;
    const COptions options;
    size_t tried = 0;
    for (const auto& [path, text] : CorpusTexts(corpus))
    {
        std::vector<CScriptPiece> units;
        for (const CScriptPiece& piece : SplitScript(text))
            if (IsUnit(piece.m_nKind))
                units.push_back(piece);
        if (units.size() < 2)
            continue;
        // The middle unit, by its last line.
        const CScriptPiece& unit = units[units.size() / 2];
        CFixedPointSettings settings;
        settings.m_aLines = {{unit.m_nLastLine, unit.m_nLastLine}};
        const CFixedPointResult result = FormatToFixedPoint(workspace, text, options, settings);
        if (!result.m_sError.empty())
        {
            ADD_FAILURE() << path << ": " << result.m_sError;
            continue;
        }
        ++tried;
        const size_t after = text.size() - (unit.m_nStart + unit.m_nLength);
        const std::u16string& out = result.m_sText;
        EXPECT_TRUE(out.size() >= unit.m_nStart + after &&
                    out.compare(0, unit.m_nStart, text, 0, unit.m_nStart) == 0 &&
                    out.compare(out.size() - after, after, text, text.size() - after, after) == 0)
            << path << ": text outside lines " << unit.m_nFirstLine << " to " << unit.m_nLastLine << " changed";
    }
    EXPECT_GT(tried, 100u);
}

} // namespace
