// The engine's front end on about 10 MB of real SQL from the corpus
// (QUILLMARK_CORPUS_DIR): Tokenize plus Analyse, and Capitalise from input text
// to output text. MB/s counts bytes of UTF-8 input; peak_bytes_per_input_byte
// is the process's peak resident memory (ru_maxrss) over the UTF-8 input size.
// ru_maxrss only grows, so run one benchmark at a time (--benchmark_filter) to
// see the peak of that one alone.
#include "../tests/TestUtf.h"
#include "Analysis.h"
#include "Format.h"
#include "Lexicon.h"
#include "SQLParser.h"
#include "Tokenizer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
constexpr size_t kInputBytes = 10'000'000;

fs::path CorpusDir()
{
    const char* env = std::getenv("QUILLMARK_CORPUS_DIR");
    return env && *env ? fs::path(env) : fs::path(QUILLMARK_CORPUS_DIR);
}

// Corpus files in name order, concatenated until about kInputBytes.
const std::string& InputBytes()
{
    static const std::string bytes = [] {
        std::string all;
        std::error_code error;
        if (!fs::is_directory(CorpusDir(), error))
            return all;
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(CorpusDir(), error))
            if (entry.is_regular_file(error))
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
        {
            if (all.size() >= kInputBytes)
                break;
            std::ifstream in(file, std::ios::binary);
            all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            all += '\n';
        }
        return all;
    }();
    return bytes;
}

double PeakBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

bool SkipWithoutCorpus(benchmark::State& state)
{
    if (!InputBytes().empty())
        return false;
    state.SkipWithError(("no corpus at " + CorpusDir().string()).c_str());
    return true;
}

void ReportBytes(benchmark::State& state)
{
    const double bytes = static_cast<double>(InputBytes().size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["input_MB"] = bytes / 1e6;
    state.counters["peak_bytes_per_input_byte"] = PeakBytes() / bytes;
}

void TokenizeAnalyse(benchmark::State& state)
{
    if (SkipWithoutCorpus(state))
        return;
    CSQLParser engine;
    engine.m_sInput = Utf8ToUtf16(InputBytes());
    for (auto _ : state)
    {
        // As Process does: the new run reuses the storage of the last one.
        engine.m_aTokens.Reset(engine.m_sInput);
        TokenizeWords(engine, engine.m_aTokens.Text(), engine.m_aTokens);
        Analyse(engine, engine.m_aTokens, true);
        benchmark::DoNotOptimize(engine.m_aTokens.size());
    }
    state.counters["tokens"] = static_cast<double>(engine.m_aTokens.size());
    ReportBytes(state);
}
BENCHMARK(TokenizeAnalyse)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void Capitalise(benchmark::State& state)
{
    if (SkipWithoutCorpus(state))
        return;
    const COptions options;
    const std::u16string text = Utf8ToUtf16(InputBytes());
    CTokenList tokens;
    for (auto _ : state)
    {
        std::u16string output = Format(StandardLexicon(), text, options, MODE_CAPITALISE, {}, tokens).m_sText;
        benchmark::DoNotOptimize(output.data());
    }
    ReportBytes(state);
}
BENCHMARK(Capitalise)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Capitalise with the conversions at the edges a caller needs: UTF-8 in,
// UTF-8 out.
void CapitaliseUtf8(benchmark::State& state)
{
    if (SkipWithoutCorpus(state))
        return;
    const COptions options;
    for (auto _ : state)
    {
        const std::u16string text = Utf8ToUtf16(InputBytes());
        std::string out = Utf16ToUtf8(Format(text, options, MODE_CAPITALISE).m_sText);
        benchmark::DoNotOptimize(out.data());
    }
    ReportBytes(state);
}
BENCHMARK(CapitaliseUtf8)->Unit(benchmark::kMillisecond)->MinTime(2.0);
} // namespace

BENCHMARK_MAIN();
