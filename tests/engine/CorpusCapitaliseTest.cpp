// Capitalise over every file of the corpus of real SQL: with the left margin
// at -1 it changes nothing but the case of ASCII letters outside string
// literals, quoted identifiers and Java sources, and keeps the length.
#include "Analysis.h"
#include "EngineTestHelpers.h"
#include "PlsqlLayout.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{
std::filesystem::path CorpusDir()
{
    if (const char* env = std::getenv("QUILLMARK_CORPUS_DIR"); env && *env)
        return env;
    return QUILLMARK_CORPUS_DIR;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

char16_t Fold(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool IsAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

TEST(CorpusCapitalise, ChangesOnlyTheCaseOfLettersOutsideLiterals)
{
    const std::filesystem::path dir = CorpusDir();
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        GTEST_SKIP() << "no corpus at " << dir;

    CSQLParser engine;
    engine.m_Options.m_General.m_nLeftMargin = -1;
    // Every category to upper case, so that every word a rule touches changes.
    COptions::CCapitalisation& cap = engine.m_Options.m_Capitalisation;
    cap.m_nKeywords = cap.m_nDataTypes = cap.m_nFunctions = cap.m_nStFunctions = CAP_UPPER;
    cap.m_nBindVars = cap.m_nComments = cap.m_nOther = CAP_UPPER;

    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
    {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const std::u16string input = Utf8ToUtf16(ReadBytes(entry.path()));
        engine.m_sInput = input;
        engine.m_sOutput.clear();
        engine.Process(CSQLParser::MODE_CAPITALISE);
        const std::u16string& output = input.empty() ? input : engine.m_sOutput;
        ASSERT_EQ(output.size(), input.size()) << entry.path();

        // Characters inside literals and quoted identifiers, by the tokens of
        // each unit (their texts must start the way such tokens start); the
        // other pieces of a script are copied, so every character of theirs
        // is exempt and must stay.
        std::vector<bool> exempt(input.size(), false);
        for (const CScriptPiece& piece : SplitScript(input))
        {
            if (!IsUnit(piece.m_nKind))
            {
                ASSERT_EQ(output.substr(piece.m_nStart, piece.m_nLength),
                          input.substr(piece.m_nStart, piece.m_nLength))
                    << entry.path() << ": piece at " << piece.m_nStart;
                std::fill_n(exempt.begin() + static_cast<std::ptrdiff_t>(piece.m_nStart), piece.m_nLength, true);
                continue;
            }
            CTokenList tokens;
            TokenizeAndSplit(engine, tokens, std::u16string_view(input).substr(piece.m_nStart, piece.m_nLength));
            if (piece.m_nKind == PIECE_PLSQL && IsJavaUnit(tokens))
            {
                // Java source is copied, as other pieces are.
                ASSERT_EQ(output.substr(piece.m_nStart, piece.m_nLength),
                          input.substr(piece.m_nStart, piece.m_nLength))
                    << entry.path() << ": Java at " << piece.m_nStart;
                std::fill_n(exempt.begin() + static_cast<std::ptrdiff_t>(piece.m_nStart), piece.m_nLength, true);
                continue;
            }
            for (const CBaseToken& t : tokens)
            {
                if (t.m_nKind != TK_STRING && t.m_nKind != TK_QUOTED)
                    continue;
                ASSERT_FALSE(t.m_sText.empty());
                if (t.m_nKind == TK_QUOTED)
                    ASSERT_EQ(t.m_sText[0], u'"') << entry.path() << " at " << t.m_nOffset;
                else
                    ASSERT_NE(t.m_sText.find(u'\''), std::u16string_view::npos) << entry.path();
                for (size_t i = 0; i < t.m_sText.size(); ++i)
                    exempt[piece.m_nStart + static_cast<size_t>(t.m_nOffset) - 1 + i] = true;
            }
        }

        size_t changed = 0;
        for (size_t i = 0; i < input.size(); ++i)
        {
            if (output[i] == input[i])
                continue;
            ++changed;
            ASSERT_FALSE(exempt[i]) << entry.path() << ": literal changed at " << i;
            ASSERT_TRUE(IsAsciiLetter(input[i]) && Fold(input[i]) == Fold(output[i]))
                << entry.path() << ": character " << i << " became " << int(output[i]);
        }
        // With everything upper case, no lower-case ASCII letter outside the
        // literals and quoted identifiers may be left.
        for (size_t i = 0; i < output.size(); ++i)
            if (!exempt[i] && output[i] >= u'a' && output[i] <= u'z')
                FAIL() << entry.path() << ": letter left lower case at " << i;
    }
    EXPECT_GT(files, 0u);
}
// Analyse runs its steps in one walk; over real SQL the result must be that
// of running them one after the other.
TEST(CorpusAnalyse, OneWalkEqualsTheStepsInTurn)
{
    const std::filesystem::path dir = CorpusDir();
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        GTEST_SKIP() << "no corpus at " << dir;

    CSQLParser fused;
    CSQLParser stepwise;
    for (CSQLParser* engine : {&fused, &stepwise})
    {
        engine->m_Options.m_Capitalisation.m_nBindVars = CAP_UPPER;
        engine->m_Options.m_Capitalisation.m_nComments = CAP_INITCAP_EACH;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
    {
        if (!entry.is_regular_file())
            continue;
        const std::u16string input = Utf8ToUtf16(ReadBytes(entry.path()));
        TokenizeAndSplit(fused, input);
        Analyse(fused, fused.m_aTokens, true);
        TokenizeAndSplit(stepwise, input);
        for (CBaseToken& t : stepwise.m_aTokens)
            ClassifyWord(t, stepwise);
        MarkFunctions(stepwise.m_aTokens);
        MergeOperators(stepwise.m_aTokens);
        for (CBaseToken& t : stepwise.m_aTokens)
            ApplyCase(stepwise, t);

        ASSERT_EQ(fused.m_aTokens.size(), stepwise.m_aTokens.size()) << entry.path();
        for (size_t i = 0; i < fused.m_aTokens.size(); ++i)
        {
            const CBaseToken& a = fused.m_aTokens[i];
            const CBaseToken& b = stepwise.m_aTokens[i];
            ASSERT_TRUE(a.m_nKind == b.m_nKind && a.m_nCode == b.m_nCode && a.m_sText == b.m_sText &&
                        a.m_nOffset == b.m_nOffset && a.m_nLine == b.m_nLine)
                << entry.path() << " token " << i;
        }
    }
}
} // namespace
