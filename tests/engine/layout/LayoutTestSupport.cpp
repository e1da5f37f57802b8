#include "LayoutTestSupport.h"

#include "Lexicon.h"
#include "PlsqlLayout.h"
#include "PlsqlWords.h"
#include "TestUtf.h"
#include "Tokenizer.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace layout_test
{

std::u16string Wide(std::string_view utf8)
{
    return Utf8ToUtf16(utf8);
}

std::string Narrow(std::u16string_view utf16)
{
    return Utf16ToUtf8(utf16);
}

std::string Lines(std::initializer_list<std::string_view> lines)
{
    std::string out;
    bool first = true;
    for (std::string_view line : lines)
    {
        if (!first)
            out += '\n';
        out += line;
        first = false;
    }
    return out;
}

std::string Format(std::string_view input, const Setup& setup)
{
    COptions options;
    if (setup)
        setup(options);
    return Narrow(::Format(Wide(input), options, MODE_FORMAT).m_sText);
}

std::string Layout(std::string_view input, const Setup& setup)
{
    CSQLParser engine;
    if (setup)
        setup(engine.m_Options);
    engine.m_sInput = Wide(input);
    engine.ClearTokens();
    Tokenize(engine.m_sInput, engine.m_aTokens);
    SplitWords(engine, engine.m_aTokens);
    Analyse(engine, engine.m_aTokens, true);
    std::u16string output;
    WriteLayout(engine, engine.m_aTokens, output);
    return Narrow(output);
}

namespace
{

std::u16string WithoutWhitespace(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text)
        if (c != u' ' && c != u'\n' && c != u'\r' && c != u'\t')
            out.push_back(c);
    return out;
}

bool Dropped(const COptions& options, const CBaseToken& token)
{
    const COptions::CComments& comments = options.m_Comments;
    if (token.m_nKind != TK_COMMENT || !comments.m_bRemoveComments)
        return false;
    const bool hint = token.m_sText.size() >= 3 && token.m_sText[2] == u'+';
    return !(comments.m_bDontRemoveHints && hint);
}

} // namespace

::testing::AssertionResult KeepsTokensInOrder(const COptions& options, std::u16string_view input,
                                              std::u16string_view output)
{
    // Unit by unit, as Format reads a script: a SQL*Plus command line is not
    // SQL, so its text is looked for whole.
    const std::u16string compact = WithoutWhitespace(output);
    size_t at = 0;
    auto find = [&](std::u16string_view text) {
        const std::u16string wanted = WithoutWhitespace(text);
        const size_t found = compact.find(wanted, at);
        if (found == std::u16string::npos)
            return false;
        at = found + wanted.size();
        return true;
    };
    CTokenList tokens;
    for (const CScriptPiece& piece : SplitScript(input))
    {
        const std::u16string_view raw = input.substr(piece.m_nStart, piece.m_nLength);
        if (!IsUnit(piece.m_nKind))
        {
            if (!find(raw))
                return ::testing::AssertionFailure() << "\"" << Narrow(raw) << "\" is missing or out of order";
            continue;
        }
        // Analysed as Format analyses them, so they have the case they get.
        Tokenize(raw, tokens);
        SplitWords(CTokenScanner::kStandardDelimiters, tokens);
        Analyse(StandardLexicon(), options.m_Capitalisation, tokens, true);
        for (const CBaseToken& token : tokens)
            if (!Dropped(options, token) && !find(token.m_sText))
                return ::testing::AssertionFailure() << "token \"" << Narrow(token.m_sText) << "\" at offset "
                                                     << piece.m_nStart + token.m_nOffset
                                                     << " is missing or out of order";
    }
    return ::testing::AssertionSuccess();
}

namespace
{

std::string FormatKeepingTokens(std::string_view input, const Setup& setup)
{
    COptions options;
    if (setup)
        setup(options);
    const std::u16string text = Wide(input);
    const std::u16string output = ::Format(text, options, MODE_FORMAT).m_sText;
    EXPECT_TRUE(KeepsTokensInOrder(options, text, output)) << "input: " << input;
    return Narrow(output);
}

} // namespace

void ExpectFormat(std::string_view input, std::string_view expected, const Setup& setup)
{
    EXPECT_EQ(FormatKeepingTokens(input, setup), expected) << "input: " << input;
}

void ExpectLayout(std::string_view input, std::string_view expected, const Setup& setup)
{
    EXPECT_EQ(Layout(input, setup), expected) << "input: " << input;
    FormatKeepingTokens(input, setup);
}

std::u16string FormatPlsqlUnit(CSQLParser& engine, std::u16string_view unit)
{
    static const CWordIndex plsqlWords = PlsqlWordIndex(engine.m_WordIndex);
    const CLexicon lexicon{engine.m_sDelimiters, engine.m_sNewLine, &plsqlWords};
    engine.m_sInput.assign(unit);
    engine.m_aTokens.Reset(unit);
    TokenizeWords(engine, engine.m_aTokens.Text(), engine.m_aTokens);
    Analyse(lexicon, engine.m_Options.m_Capitalisation, engine.m_aTokens, true);
    ApplyAttributeCase(engine.m_aTokens, engine.m_Options.m_Capitalisation.m_nKeywords);
    std::vector<int32_t> kept;
    WritePlsqlLayout(engine.m_Options, engine.m_sNewLine, engine.m_aTokens, engine.m_sOutput, &kept);
    engine.FinishOutput(true, kept);
    return engine.m_sOutput;
}

std::string FormatPlsql(std::string_view input, const Setup& setup)
{
    CSQLParser engine;
    if (setup)
        setup(engine.m_Options);
    return Narrow(FormatPlsqlUnit(engine, Wide(input)));
}

void ExpectPlsql(std::string_view input, std::string_view expected, const Setup& setup)
{
    CSQLParser engine;
    if (setup)
        setup(engine.m_Options);
    const std::string once = Narrow(FormatPlsqlUnit(engine, Wide(input)));
    EXPECT_EQ(once, expected) << "input: " << input;
    EXPECT_TRUE(KeepsTokensInOrder(engine)) << "input: " << input;
    EXPECT_EQ(Narrow(FormatPlsqlUnit(engine, Wide(expected))), expected) << "formatted again: " << expected;
}

fs::path CorpusDir()
{
    if (const char* env = std::getenv("QUILLMARK_CORPUS_DIR"); env && *env)
        return env;
    if (std::string(QUILLMARK_CORPUS_DIR).size() > 0)
        return QUILLMARK_CORPUS_DIR;
    return fs::path(QUILLMARK_TEST_DATA_DIR) / ".." / ".." / ".." / "shared" / "corpus";
}

namespace
{

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

} // namespace

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

} // namespace layout_test
