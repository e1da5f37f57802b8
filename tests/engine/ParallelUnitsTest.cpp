// The units of a long text formatted on several threads give what one thread
// gives, byte for byte, with the same left margin and units left unlaid.
#include "CorpusFiles.h"

#include "BaseToken.h"
#include "Format.h"
#include "Lexicon.h"
#include "Options.h"
#include "ScriptSplitter.h"

#include <gtest/gtest.h>

namespace
{

CFormatResult FormatOn(std::u16string_view text, const COptions& options, int mode, unsigned threads)
{
    CTokenList tokens;
    std::u16string output;
    CFormatResult result =
        FormatInto(StandardLexicon(), text, SplitScript(text), options, mode, {}, tokens, output, threads);
    result.m_sText = std::move(output);
    return result;
}

void ExpectSameOnEveryThreadCount(std::u16string_view text, const COptions& options)
{
    for (int mode : {MODE_FORMAT, MODE_CAPITALISE})
    {
        SCOPED_TRACE(mode == MODE_FORMAT ? "Format" : "Capitalise");
        const CFormatResult one = FormatOn(text, options, mode, 1);
        for (unsigned threads : {2u, 3u})
        {
            SCOPED_TRACE(threads);
            const CFormatResult several = FormatOn(text, options, mode, threads);
            EXPECT_TRUE(several.m_sText == one.m_sText);
            EXPECT_EQ(several.m_nLeftMargin, one.m_nLeftMargin);
            EXPECT_EQ(several.m_aUnitsNotLaidOut, one.m_aUnitsNotLaidOut);
        }
    }
}

TEST(ParallelUnits, SameResultAsOneThread)
{
    // Units that come out empty (comments only, removed) are followed by the
    // line break they leave behind, also where one thread's text ends; some
    // units are only capitalised, and named.
    std::u16string script;
    for (int i = 0; script.size() < 600 * 1024; ++i)
        script += i % 3 == 0   ? u"  select a, b from t where c = 1;\n/\n-- a note alone\n/\n\n"
                  : i % 3 == 1 ? u"begin\n  null;\nend;\n/\nset echo on\n"
                               : u"select 1 from dual; prompt hi\n/\n"; // only capitalised
    const struct
    {
        const char* m_pszName;
        bool m_bRemoveComments;
        bool m_bAutoDetectMargin;
    } cases[] = {
        {"defaults", false, false},
        {"comments removed", true, false},
        {"margin detected", false, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.m_pszName);
        COptions options;
        options.m_Comments.m_bRemoveComments = c.m_bRemoveComments;
        options.m_General.m_bAutoDetectLeftMargin = c.m_bAutoDetectMargin;
        ExpectSameOnEveryThreadCount(script, options);
    }
    EXPECT_FALSE(FormatOn(script, COptions(), MODE_FORMAT, 1).m_aUnitsNotLaidOut.empty());
}

TEST(ParallelUnits, CorpusAsOneScript)
{
    const std::vector<std::filesystem::path> files = corpus::SqlFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << corpus::Dir();
    // A few MB of it, as one script.
    std::u16string script;
    for (const auto& path : files)
    {
        if (script.size() > 3 * 1024 * 1024)
            break;
        std::u16string text = corpus::ReadText(path);
        if (!text.empty() && text.back() != u'\n')
            text += u'\n';
        script += text + u"/\n";
    }
    ExpectSameOnEveryThreadCount(script, COptions());
}

} // namespace
