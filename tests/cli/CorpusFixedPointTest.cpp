// Every file of the corpus of real SQL settles within the passes allowed, in
// Format and in Capitalise; the number of passes each took is reported.
#include "FixedPoint.h"
#include "Options.h"
#include "SQLParser.h"
#include "SourceFiles.h"
#include "SqlFileText.h"

#include <gtest/gtest.h>

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

} // namespace
