// The safety check run before any result is written: the result must hold the
// same tokens as its input, in the same order. Words and symbols are compared
// without regard to the case of ASCII letters, string literals and quoted
// identifiers exactly, comments without their whitespace (and without regard
// to case, which the comment capitalisation may change). Comments that the
// options remove are expected to be missing. The script's SQL*Plus command
// lines, terminator lines and regions left unformatted must come back in the
// same order, each exactly as it was and alone on its line(s).
#pragma once

#include "ScriptSplitter.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qmcli
{

struct CTokenCheckRules
{
    bool m_bCommentsRemoved = false; // Format with "Remove comments"
    bool m_bHintsKept = true;        // with it, "Don't remove hints"
};

// The first place where the result's tokens part from the input's.
struct CTokenDifference
{
    int64_t m_nIndex = 0;       // 0-based index of the differing token
    int32_t m_nInputLine = 0;   // 0 when the input has no token there
    int32_t m_nOutputLine = 0;  // 0 when the result has no token there
    std::string m_sInputToken;  // UTF-8, shortened for a message
    std::string m_sOutputToken;

    // "line 3: `from` became `form` (result line 4)" and the like.
    std::string Describe() const;
};

std::optional<CTokenDifference> CompareTokens(std::u16string_view input, std::u16string_view output,
                                              const CTokenCheckRules& rules);
// The same for texts already cut into their pieces (SplitScript of each), or
// for runs of those pieces.
std::optional<CTokenDifference> CompareTokens(std::u16string_view input, std::span<const CScriptPiece> inputPieces,
                                              std::u16string_view output, std::span<const CScriptPiece> outputPieces,
                                              const CTokenCheckRules& rules);

// CompareTokens in two steps. HaveSameTokens gives the verdict alone, reading
// both texts' tokens in place and in step; only where it sees a difference
// does FindTokenDifference walk the texts again to name the first one.
bool HaveSameTokens(std::u16string_view input, std::span<const CScriptPiece> inputPieces, std::u16string_view output,
                    std::span<const CScriptPiece> outputPieces, const CTokenCheckRules& rules);
std::optional<CTokenDifference> FindTokenDifference(std::u16string_view input,
                                                    std::span<const CScriptPiece> inputPieces,
                                                    std::u16string_view output,
                                                    std::span<const CScriptPiece> outputPieces,
                                                    const CTokenCheckRules& rules);

} // namespace qmcli
