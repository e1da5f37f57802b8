// Shared pieces of the stress tests: sizes that shrink under the sanitizers,
// input builders and the one check every run must pass.
#pragma once

#include "SQLParser.h"
#include "TokenCheck.h"
#include "TokenPreservation.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Sanitizer builds run unoptimised and several times slower: they use inputs a
// tenth of the size, which still drive every path the full sizes drive.
#ifdef QUILLMARK_STRESS_SMALL
inline constexpr size_t kStressScale = 10;
#else
inline constexpr size_t kStressScale = 1;
#endif

inline constexpr size_t kMillion = 1000000 / kStressScale;
inline constexpr size_t kTenMegabytes = 10 * 1024 * 1024 / kStressScale;

// piece repeated until the text holds at least length units.
inline std::u16string Repeat(std::u16string_view piece, size_t length)
{
    std::u16string text;
    text.reserve(length + piece.size());
    while (text.size() < length)
        text += piece;
    return text;
}

// A small deterministic generator, so that every run sees the same text.
class CStressRandom
{
public:
    explicit CStressRandom(uint64_t seed) : m_nState(seed) {}
    uint32_t Next()
    {
        m_nState = m_nState * 6364136223846793005ULL + 1442695040888963407ULL;
        return uint32_t(m_nState >> 33);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }

private:
    uint64_t m_nState;
};

// Runs one command and checks what must always hold: the engine returns, and
// every token of the input is in the output, in order.
inline void ExpectTokensKept(CSQLParser& engine, const std::u16string& input, int mode)
{
    engine.m_sOutput = Format(input, engine.m_Options, mode).m_sText;
    const char* command = mode == CSQLParser::MODE_FORMAT ? "Format: " : "Capitalise: ";
    const bool commentsRemoved =
        mode == CSQLParser::MODE_FORMAT && engine.m_Options.m_Comments.m_bRemoveComments;
    // quillmark-format's safety check, as the command runs it before writing.
    qmcli::CTokenCheckRules safetyRules;
    safetyRules.m_bCommentsRemoved = commentsRemoved;
    safetyRules.m_bHintsKept = engine.m_Options.m_Comments.m_bDontRemoveHints;
    auto refused = qmcli::CompareTokens(input, engine.m_sOutput, safetyRules);
    EXPECT_FALSE(refused) << command << "safety check: " << refused->Describe();
    // And the independent restatement of the lexical rules.
    TokenCompareRules rules;
    rules.bCommentsMayBeDropped = commentsRemoved;
    auto difference = FirstTokenDifference(input, engine.m_sOutput, rules);
    EXPECT_FALSE(difference) << command << *difference;
}
