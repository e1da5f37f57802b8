// The safety check quillmark-format runs before it writes a result: MB/s of
// comparing about 10 MB of corpus SQL (QUILLMARK_CORPUS_DIR, whole files; a
// generated script where it is absent) with its formatted result, both
// already cut into their pieces as the command has them. Beside it, the walk
// that names the first difference, which the check falls back to only where
// the texts differ.
//
// MB counts the bytes of the input's files.
#include "Format.h"
#include "Options.h"
#include "ScriptSplitter.h"
#include "TextFileGuess.h"
#include "TokenCheck.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace
{

constexpr size_t kInputBytes = 10u << 20;

struct CCheckedPair
{
    std::u16string m_sInput;
    std::u16string m_sOutput;
    std::vector<CScriptPiece> m_aInputPieces;
    std::vector<CScriptPiece> m_aOutputPieces;
    size_t m_nBytes = 0;
};

std::vector<fs::path> CorpusFiles()
{
    const char* env = std::getenv("QUILLMARK_CORPUS_DIR");
    const fs::path corpus = env && *env ? env : QUILLMARK_CORPUS_DIR;
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(corpus, ec))
        for (const auto& entry : fs::recursive_directory_iterator(corpus, ec))
            if (entry.is_regular_file(ec) && entry.path().extension() == ".sql")
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

const CCheckedPair& Pair()
{
    static const CCheckedPair s_pair = [] {
        CCheckedPair pair;
        const std::vector<fs::path> files = CorpusFiles();
        for (size_t k = 0; !files.empty() && pair.m_nBytes < kInputBytes; k = (k + 1) % files.size())
        {
            CGuessedText file;
            if (!ReadTextFileGuessing(files[k], u"\n", file))
                continue;
            pair.m_sInput += file.m_sText;
            pair.m_sInput += u"\n";
            pair.m_nBytes += fs::file_size(files[k]) + 1;
        }
        while (pair.m_nBytes < kInputBytes)
        {
            const std::u16string_view script = u"select a, b /* note */ from t where c = 'x' -- why\n;\n/\n";
            pair.m_sInput += script;
            pair.m_nBytes += script.size();
        }
        pair.m_sOutput = Format(pair.m_sInput, COptions(), MODE_FORMAT).m_sText;
        pair.m_aInputPieces = SplitScript(pair.m_sInput);
        pair.m_aOutputPieces = SplitScript(pair.m_sOutput);
        return pair;
    }();
    return s_pair;
}

// The check as the command runs it.
void BM_TokenCheckCorpus(benchmark::State& state)
{
    const CCheckedPair& pair = Pair();
    for (auto _ : state)
    {
        const bool same = !qmcli::CompareTokens(pair.m_sInput, pair.m_aInputPieces, pair.m_sOutput,
                                                pair.m_aOutputPieces, qmcli::CTokenCheckRules());
        if (!same)
            state.SkipWithError("the formatted corpus does not hold the input's tokens");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pair.m_nBytes));
}
BENCHMARK(BM_TokenCheckCorpus)->Unit(benchmark::kMillisecond);

// The walk that names the first difference, over texts that hold none.
void BM_TokenDifferenceWalkCorpus(benchmark::State& state)
{
    const CCheckedPair& pair = Pair();
    for (auto _ : state)
    {
        const auto difference = qmcli::FindTokenDifference(pair.m_sInput, pair.m_aInputPieces, pair.m_sOutput,
                                                           pair.m_aOutputPieces, qmcli::CTokenCheckRules());
        benchmark::DoNotOptimize(difference);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pair.m_nBytes));
}
BENCHMARK(BM_TokenDifferenceWalkCorpus)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
