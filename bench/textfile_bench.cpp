// Text files: MB/s of reading and writing SQL in each encoding, through real
// files in the temporary folder, and the peak memory of the process.
//
// The text is the SQL of the corpus (QUILLMARK_CORPUS_DIR) concatenated to
// about 8 MB, or generated SQL where the corpus is absent.
#include "TextFileRead.h"
#include "TextFileWrite.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
constexpr std::size_t kTextBytes = 8u << 20;

const std::u16string& SampleText()
{
    static const std::u16string s_text = [] {
        std::string bytes;
        const char* pszEnv = std::getenv("QUILLMARK_CORPUS_DIR");
        const fs::path corpus = pszEnv ? pszEnv : QUILLMARK_CORPUS_DIR;
        std::error_code ec;
        if (fs::is_directory(corpus, ec))
        {
            std::vector<fs::path> aFiles;
            for (const auto& entry : fs::recursive_directory_iterator(corpus, ec))
                if (entry.path().extension() == ".sql")
                    aFiles.push_back(entry.path());
            std::sort(aFiles.begin(), aFiles.end());
            for (const fs::path& file : aFiles)
            {
                std::ifstream in(file, std::ios::binary);
                bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
                if (bytes.size() >= kTextBytes)
                    break;
            }
        }
        if (bytes.empty())
            bytes = "select e.last_name, d.department_name\nfrom employees e\njoin departments d "
                    "on d.department_id = e.department_id -- naïve join\nwhere e.salary > 1000;\n";
        while (bytes.size() < kTextBytes)
            bytes += bytes.substr(0, kTextBytes - bytes.size());
        std::u16string text;
        Utf8::Decode(bytes, text);
        // One line-end convention, so that a read gives back the written text.
        std::u16string lf;
        for (char16_t c : text)
            if (c != u'\r')
                lf += c;
        return lf;
    }();
    return s_text;
}

fs::path BenchFile(TextEncoding nEncoding)
{
    return fs::temp_directory_path() /
           ("quillmark-bench-" + std::to_string(::getpid()) + "-" +
            std::to_string(static_cast<int>(nEncoding)) + ".sql");
}

std::size_t EncodedSize(TextEncoding nEncoding)
{
    std::string bytes(ByteOrderMark(nEncoding));
    AppendEncoded(SampleText(), nEncoding, nullptr, 0, bytes);
    return bytes.size();
}

void SetPeakMemory(benchmark::State& state)
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_Write(benchmark::State& state)
{
    const auto nEncoding = static_cast<TextEncoding>(state.range(0));
    const fs::path path = BenchFile(nEncoding);
    for (auto _ : state)
    {
        CTextFileWrite file(path, nEncoding);
        if (!file.Write(SampleText()) || !file.Close())
            state.SkipWithError(file.GetError().c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * EncodedSize(nEncoding)));
    SetPeakMemory(state);
    fs::remove(path);
}

void BM_Read(benchmark::State& state)
{
    const auto nEncoding = static_cast<TextEncoding>(state.range(0));
    const fs::path path = BenchFile(nEncoding);
    {
        CTextFileWrite file(path, nEncoding);
        file.Write(SampleText());
        file.Close();
    }
    for (auto _ : state)
    {
        CTextFileRead file(path);
        std::u16string text;
        if (!file.ReadAll(text, u"\n") || text.size() != SampleText().size())
            state.SkipWithError("read back a different text");
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(path)));
    SetPeakMemory(state);
    fs::remove(path);
}

void Encodings(benchmark::internal::Benchmark* pBenchmark)
{
    pBenchmark->ArgName("encoding");
    for (TextEncoding n : {ENC_ANSI, ENC_UTF16_BE, ENC_UTF16_LE, ENC_UTF8})
        pBenchmark->Arg(n);
    pBenchmark->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Write)->Apply(Encodings);
BENCHMARK(BM_Read)->Apply(Encodings);
} // namespace

BENCHMARK_MAIN();
