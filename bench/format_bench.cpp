// Format: MB/s of the whole Format command (tokens, analysis, layout, finish)
// and of the layout writer alone, on about 1, 4 and 10 MB of real SQL from the
// corpus (QUILLMARK_CORPUS_DIR; generated SQL where it is absent) and on deeply
// nested parentheses and PL/SQL blocks, with the peak memory of the process.
//
// MB counts bytes of UTF-8 input. Time per MB should not grow with the size.
// Peak memory (ru_maxrss) only grows over a run; run one benchmark at a time
// (--benchmark_filter) to see the peak of that one alone.
#include "Analysis.h"
#include "Format.h"
#include "LayoutWriter.h"
#include "Lexicon.h"
#include "SQLParser.h"
#include "ScriptSplitter.h"
#include "Tokenizer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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

constexpr size_t kMB = 1u << 20;

std::string CorpusBytes()
{
    std::string bytes;
    const char* env = std::getenv("QUILLMARK_CORPUS_DIR");
    const fs::path corpus = env && *env ? env : QUILLMARK_CORPUS_DIR;
    std::error_code ec;
    if (fs::is_directory(corpus, ec))
    {
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(corpus, ec))
        {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file(ec))
                continue;
            if (ext == ".sql" || ext == ".pks" || ext == ".pkb" || ext == ".tps" || ext == ".tpb")
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
        {
            std::ifstream in(file, std::ios::binary);
            bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            bytes += '\n';
        }
    }
    if (bytes.empty())
        bytes = "select e.last_name, d.department_name, case when e.salary > 1000 then 'high' else 'low' end band\n"
                "from employees e\nleft outer join departments d on d.department_id = e.department_id -- join\n"
                "where e.salary between 100 and 2000 and d.name in ('a', 'b', 'c')\norder by 1, 2;\n";
    return bytes;
}

// Plain UTF-8 decoding; bytes that do not form UTF-8 are taken as ISO-8859-1.
std::u16string Decode(const std::string& bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();)
    {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        bool valid = extra != 9 && i + extra < bytes.size();
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; valid && k <= extra; ++k)
        {
            const unsigned char d = static_cast<unsigned char>(bytes[i + k]);
            valid = (d >> 6) == 2;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!valid)
        {
            text.push_back(c);
            ++i;
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000)
        {
            cp -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
        else
        {
            text.push_back(static_cast<char16_t>(cp));
        }
    }
    return text;
}

// About size bytes of corpus SQL, cut at a line end; whole files repeat when
// the corpus is smaller.
struct CInput
{
    std::u16string m_sText;
    size_t m_nBytes = 0;
};

const CInput& CorpusInput(size_t size)
{
    static std::vector<std::pair<size_t, CInput>> s_inputs;
    for (const auto& [s, input] : s_inputs)
        if (s == size)
            return input;
    static const std::string s_corpus = CorpusBytes();
    std::string bytes;
    while (bytes.size() < size)
        bytes.append(s_corpus, 0, std::min(s_corpus.size(), size - bytes.size()));
    const size_t lineEnd = bytes.rfind('\n');
    if (lineEnd != std::string::npos && lineEnd > size / 2)
        bytes.resize(lineEnd + 1);
    s_inputs.emplace_back(size, CInput{Decode(bytes), bytes.size()});
    return s_inputs.back().second;
}

void SetCounters(benchmark::State& state, size_t inputBytes)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(inputBytes));
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0; // ru_maxrss is in KiB
    state.counters["input_MB"] = static_cast<double>(inputBytes) / kMB;
    state.counters["peak_MB"] = peak / kMB;
    state.counters["peak_per_input_byte"] = peak / static_cast<double>(inputBytes);
}

void FormatText(benchmark::State& state, const std::u16string& text, size_t bytes, const COptions& options = COptions())
{
    // As a caller that formats many texts runs it: the token list's storage
    // is kept from one run to the next.
    CTokenList tokens;
    std::u16string output;
    for (auto _ : state)
    {
        output = Format(StandardLexicon(), text, options, MODE_FORMAT, {}, tokens).m_sText;
        benchmark::DoNotOptimize(output.data());
    }
    SetCounters(state, bytes);
    // Time is linear in input plus output; deep nesting makes the output (its
    // indentation) grow faster than the input, so show how much was written.
    state.counters["output_MB"] = static_cast<double>(output.size()) / 1e6;
    state.counters["ms_per_output_MB"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(output.size()) / 1e6,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The whole Format command on corpus SQL.
void BM_FormatCorpus(benchmark::State& state)
{
    const CInput& input = CorpusInput(static_cast<size_t>(state.range(0)) * kMB);
    FormatText(state, input.m_sText, input.m_nBytes);
}
BENCHMARK(BM_FormatCorpus)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

// The same with PL/SQL units in the plain layout: what the script pieces cost
// beside a single run of the whole text, without the PL/SQL layout's share.
void BM_FormatCorpusPlainPlsql(benchmark::State& state)
{
    const CInput& input = CorpusInput(static_cast<size_t>(state.range(0)) * kMB);
    COptions options;
    options.m_Plsql.m_bLayoutBlocks = false;
    FormatText(state, input.m_sText, input.m_nBytes, options);
}
BENCHMARK(BM_FormatCorpusPlainPlsql)->Arg(10)->Unit(benchmark::kMillisecond);

// The script splitter alone: the first stage every Format and Capitalise
// runs over the whole text.
void BM_SplitScriptCorpus(benchmark::State& state)
{
    const CInput& input = CorpusInput(static_cast<size_t>(state.range(0)) * kMB);
    size_t pieces = 0;
    for (auto _ : state)
    {
        const std::vector<CScriptPiece> split = SplitScript(input.m_sText);
        pieces = split.size();
        benchmark::DoNotOptimize(split.data());
    }
    SetCounters(state, input.m_nBytes);
    state.counters["pieces"] = static_cast<double>(pieces);
}
BENCHMARK(BM_SplitScriptCorpus)->Arg(10)->Unit(benchmark::kMillisecond);

// The same as a caller that keeps its output's storage from one text to the
// next runs it (quillmark-format's workers, and the engine object before the
// pure entry point): without the page faults of a new output each time.
void BM_FormatCorpusPlainPlsqlReusingOutput(benchmark::State& state)
{
    const CInput& input = CorpusInput(static_cast<size_t>(state.range(0)) * kMB);
    COptions options;
    options.m_Plsql.m_bLayoutBlocks = false;
    CTokenList tokens;
    std::u16string output;
    for (auto _ : state)
    {
        FormatInto(StandardLexicon(), input.m_sText, SplitScript(input.m_sText), options, MODE_FORMAT, {}, tokens,
                   output);
        benchmark::DoNotOptimize(output.data());
    }
    SetCounters(state, input.m_nBytes);
}
BENCHMARK(BM_FormatCorpusPlainPlsqlReusingOutput)->Arg(10)->Unit(benchmark::kMillisecond);

// The layout writer alone, on tokens analysed once.
void BM_WriteLayoutCorpus(benchmark::State& state)
{
    const CInput& input = CorpusInput(static_cast<size_t>(state.range(0)) * kMB);
    CSQLParser engine;
    Tokenize(input.m_sText, engine.m_aTokens);
    SplitWords(engine, engine.m_aTokens);
    Analyse(engine, engine.m_aTokens, true);
    std::u16string output;
    for (auto _ : state)
    {
        WriteLayout(engine, engine.m_aTokens, output);
        benchmark::DoNotOptimize(output.data());
    }
    SetCounters(state, input.m_nBytes);
}
BENCHMARK(BM_WriteLayoutCorpus)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// depth nested calls around one argument list: f(f(f(...(a, b)...))).
void BM_FormatNestedCalls(benchmark::State& state)
{
    const size_t depth = static_cast<size_t>(state.range(0));
    std::string bytes;
    bytes.reserve(depth * 4 + 8);
    for (size_t i = 0; i < depth; ++i)
        bytes += "f(";
    bytes += "a, b";
    bytes.append(depth, ')');
    FormatText(state, Decode(bytes), bytes.size());
}
BENCHMARK(BM_FormatNestedCalls)->Arg(10000)->Arg(100000)->Arg(1000000)->MinTime(2.0)->Unit(benchmark::kMillisecond);

// depth bare parentheses, each level a stacked list: ((...(a), a), a). Every
// level breaks a line indented to its anchor (at most 1000 blanks), so the
// output is far larger than the input: kept to 50000 levels.
void BM_FormatNestedLists(benchmark::State& state)
{
    const size_t depth = static_cast<size_t>(state.range(0));
    std::string bytes(depth, '(');
    bytes += 'a';
    for (size_t i = 0; i < depth; ++i)
        bytes += "), a";
    FormatText(state, Decode(bytes), bytes.size());
}
BENCHMARK(BM_FormatNestedLists)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// depth nested PL/SQL blocks and IFs, one PL/SQL unit: BEGIN IF a THEN BEGIN
// ... NULL; ... END; END IF; END;. Each level indents its lines one step (at
// most 1000 blanks), so the output grows faster than the input.
void BM_FormatNestedBlocks(benchmark::State& state)
{
    const size_t depth = static_cast<size_t>(state.range(0));
    std::string bytes;
    for (size_t i = 0; i < depth; ++i)
        bytes += i % 2 ? "if a then\n" : "begin\n";
    bytes += "null;\n";
    for (size_t i = depth; i-- > 0;)
        bytes += i % 2 ? "end if;\n" : "end;\n";
    FormatText(state, Decode(bytes), bytes.size());
}
BENCHMARK(BM_FormatNestedBlocks)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
