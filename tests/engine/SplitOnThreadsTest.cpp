// Split on threads, a script comes out in the pieces it has when split whole:
// cut after every "/" line, of random scripts (literals, comments, off regions
// and continued commands across the cuts) and of the corpus, alone and
// joined.
#include "CorpusFiles.h"
#include "SplitOnThreads.h"

#include <gtest/gtest.h>

#include <random>

namespace
{

void ExpectPiecesAsWhole(std::u16string_view text, size_t chunkLength, const std::string& label)
{
    const std::vector<CScriptPiece> whole = SplitScript(text);
    const std::vector<CScriptPiece> chunked = SplitScriptInChunks(text, chunkLength, 3);
    ASSERT_EQ(chunked.size(), whole.size()) << label << ", chunks of " << chunkLength;
    for (size_t i = 0; i < whole.size(); ++i)
    {
        const CScriptPiece& a = chunked[i];
        const CScriptPiece& b = whole[i];
        ASSERT_TRUE(a.m_nKind == b.m_nKind && a.m_nStart == b.m_nStart && a.m_nLength == b.m_nLength &&
                    a.m_nFirstLine == b.m_nFirstLine && a.m_nLastLine == b.m_nLastLine)
            << label << ", chunks of " << chunkLength << ": piece " << i << " at " << b.m_nStart;
    }
}

TEST(SplitOnThreads, RandomScriptsAsWhole)
{
    static const char* const kLines[] = {
        "/", " / ", "/\r", ".", "select a from t;", "select 'a", "b' from t;", "/* open", "close */", "-- /",
        "begin", "  null;", "end;", "create or replace procedure p is begin null; end;", "prompt /",
        "set echo on -", "-- quillmark: off", "-- quillmark: on", "q'[", "]' from dual;", "\"a", "b\"", "",
        "insert into t values (1);", "<<l>> begin null; end;"};
    std::mt19937 random(20261210);
    for (int round = 0; round < 2000; ++round)
    {
        std::string text;
        const int lines = 1 + static_cast<int>(random() % 40);
        for (int line = 0; line < lines; ++line)
            text += std::string(kLines[random() % std::size(kLines)]) + (line + 1 < lines || random() % 2 ? "\n" : "");
        const std::u16string u = Utf8ToUtf16(text);
        for (size_t chunk : {1u, 9u, 60u})
            ExpectPiecesAsWhole(u, chunk, text);
        if (HasFailure())
            return;
    }
}

TEST(SplitOnThreads, CorpusAsWhole)
{
    const std::vector<std::filesystem::path> files = corpus::SqlFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << corpus::Dir();
    std::u16string all;
    for (const std::filesystem::path& path : files)
    {
        const std::u16string text = corpus::ReadText(path);
        ExpectPiecesAsWhole(text, 1, path.string());
        if (HasFailure())
            return;
        all += text;
        all += u"\n";
    }
    for (size_t chunk : {4096u, 64u * 1024u})
        ExpectPiecesAsWhole(all, chunk, "the corpus joined");
}

} // namespace
