// Every option at the edges of its type: a stored value is never checked
// against a range, so the engine must take any number in any field.
#include "StressSupport.h"

#include <climits>
#include <string>

namespace {

// Statements that reach every family of layout rules: clause keywords, lists of
// every kind, CASE, BETWEEN, joins, set operators, WITH, comments and hints.
const char16_t kStatements[] =
    u"with q (a, b) as (select /*+ index(t) */ a, b from t)\n"
    u"select distinct a, b, count(*) cnt, case when a = 1 then 'one' when a = 2 then 'two'"
    u" else 'many' end c, f(g(h(1, 2), 3)) -- trailing comment\n"
    u"  from q join r on q.a = r.a left outer join s on (s.b = q.b)\n"
    u" where a between 1 and 10 and b in (select x from y where z <> :bind) or c(+) = d\n"
    u" group by a, b having count(*) > 1\n"
    u" union all select 1, 2, 3, 4, 5 from dual connect by level <= 10\n"
    u" order by 1, 2 desc;\n"
    u"insert into t (a, b, c) values (1, 'x''y', \"Quoted\");\n"
    u"update t set a = a || 'x', b := 2 where c >= 3;\n"
    u"/* block\n   comment */ delete from t where a != 1;\n"
    u"merge into t using s on (t.id = s.id) when matched then update set t.v = s.v;\n"
    u"   select ((((a)))), (b), (  ) from dual";

struct ExtremeCase
{
    const char* name;
    int32_t nValue;      // every integer option, the right margin included
    bool bFlags;         // every flag
    bool bAutoDetect;    // left-margin detection (replaces the margin's value)
};

const ExtremeCase kExtremeCases[] = {
    {"IntMinFlagsOff", INT32_MIN, false, false},
    {"IntMinFlagsOn", INT32_MIN, true, false},
    {"MinusTwoFlagsOn", -2, true, false},
    {"MinusOneFlagsOff", -1, false, false},
    {"MinusOneFlagsOn", -1, true, false},
    {"ZeroFlagsOff", 0, false, false},
    {"ZeroFlagsOn", 0, true, false},
    {"FiveFlagsOn", 5, true, false},
    {"ThousandAndOneFlagsOff", 1001, false, false},
    {"HugeFlagsOff", 1000000000, false, false},
    {"HugeFlagsOn", 1000000000, true, false},
    {"IntMaxFlagsOff", INT32_MAX, false, false},
    {"IntMaxFlagsOn", INT32_MAX, true, false},
    {"IntMaxAutoDetect", INT32_MAX, true, true},
    {"IntMinAutoDetect", INT32_MIN, false, true},
};

void SetEveryOption(COptions& options, const ExtremeCase& c)
{
    for (COptions::COptElementBase* group : options.m_aGroups) {
        for (const auto& info : group->m_aInfo) {
            if (info.m_nType == OPT_INT)
                *static_cast<int32_t*>(info.m_pField) = c.nValue;
            else if (info.m_nType == OPT_BOOL)
                *static_cast<bool*>(info.m_pField) = c.bFlags;
        }
    }
    options.m_Commas.m_nRightMarginLength = c.nValue;
    options.m_General.m_bAutoDetectLeftMargin = c.bAutoDetect;
}

class StressOptionsTest : public testing::TestWithParam<ExtremeCase>
{
};

TEST_P(StressOptionsTest, FormatAndCapitaliseKeepEveryToken)
{
    CSQLParser engine;
    SetEveryOption(engine.m_Options, GetParam());
    std::u16string input = kStatements;
    ExpectTokensKept(engine, input, CSQLParser::MODE_FORMAT);
    SetEveryOption(engine.m_Options, GetParam()); // detection may have moved the margin
    ExpectTokensKept(engine, input, CSQLParser::MODE_CAPITALISE);
}

TEST_P(StressOptionsTest, OutputStaysBoundedOnLargeInput)
{
    // Indentation is bounded whatever an option holds, so the output of a large
    // input stays within a fixed multiple of it.
    CSQLParser engine;
    SetEveryOption(engine.m_Options, GetParam());
    std::u16string input = Repeat(std::u16string(kStatements) + u";\n", kTenMegabytes / 20);
    ExpectTokensKept(engine, input, CSQLParser::MODE_FORMAT);
    EXPECT_LT(engine.m_sOutput.size(), input.size() * 200);
}

INSTANTIATE_TEST_SUITE_P(Values, StressOptionsTest, testing::ValuesIn(kExtremeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Each capitalisation field alone at every mode, inside and outside the set.
TEST(StressOptionsTest, EveryCapitalisationModeOnEveryKind)
{
    const int32_t modes[] = {INT32_MIN, -1, 0, 1, 2, 3, 4, 5, INT32_MAX};
    CSQLParser engine;
    for (int32_t mode : modes) {
        for (const auto& info : engine.m_Options.m_Capitalisation.m_aInfo) {
            *static_cast<int32_t*>(info.m_pField) = mode;
            SCOPED_TRACE(info.m_sName + "=" + std::to_string(mode));
            ExpectTokensKept(engine, kStatements, CSQLParser::MODE_FORMAT);
            ExpectTokensKept(engine, kStatements, CSQLParser::MODE_CAPITALISE);
        }
    }
}

// Found by fuzzing: after a closing parenthesis that closes nothing the writer
// copies the rest token by token, comments included even when the options
// remove them; the safety check must not call that a lost token.
struct CommentFallbackCase
{
    const char* name;
    const char16_t* input;
};

const CommentFallbackCase kCommentFallbackCases[] = {
    {"BlockCommentAfterStrayParenthesis", u"a) = b || /* block\n comment */ c from t"},
    {"LineCommentAfterStrayParenthesis", u"select x) -- note\n from t"},
    {"HintAfterStrayParenthesis", u") select /*+ full(t) */ a from t"},
    {"CommentBeforeStrayParenthesis", u"select /* c */ a) from t"},
};

class StressCommentFallbackTest : public testing::TestWithParam<CommentFallbackCase>
{
};

TEST_P(StressCommentFallbackTest, RemovedCommentsMayStayInCopiedTail)
{
    for (bool hintsKept : {false, true}) {
        CSQLParser engine;
        engine.m_Options.m_Comments.m_bRemoveComments = true;
        engine.m_Options.m_Comments.m_bDontRemoveHints = hintsKept;
        ExpectTokensKept(engine, GetParam().input, CSQLParser::MODE_FORMAT);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, StressCommentFallbackTest, testing::ValuesIn(kCommentFallbackCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
