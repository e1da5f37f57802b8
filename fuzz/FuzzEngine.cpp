// Fuzz target of the engine: the first bytes set every option (values outside
// their sets and the limits of the type included), the rest is the SQL text.
// Format and Capitalise must return, and each result must keep every token of
// the input in order. Two checks judge that: quillmark-format's safety check,
// which cuts tokens with the engine's own scanner, and an independent one that
// restates the lexical rules, so that a fault shared by the scanner and the
// safety check cannot hide.
#include "FuzzInput.h"
#include "Format.h"
#include "Options.h"
#include "ScriptSplitter.h"
#include "TokenCheck.h"
#include "TokenPreservation.h"

#include <cstdio>
#include <cstdlib>

namespace {

// One byte per stored option, one for the right margin; the rest is spare so
// that options added later do not shift the text of the kept corpus.
constexpr size_t kHeaderSize = 64;

void SetOptions(COptions& options, CFuzzInput& input)
{
    for (COptions::COptElementBase* group : options.m_aGroups) {
        for (const auto& info : group->m_aInfo) {
            if (info.m_nType == OPT_INT) {
                auto* field = static_cast<int32_t*>(info.m_pField);
                *field = input.Int(*field);
            } else if (info.m_nType == OPT_BOOL) {
                auto* field = static_cast<bool*>(info.m_pField);
                *field = input.Flag(*field);
            }
        }
    }
    options.m_Commas.m_nRightMarginLength = input.Int(options.m_Commas.m_nRightMarginLength);
    input.EndHeader(kHeaderSize);
}

[[noreturn]] void Fail(const char* command, const std::string& difference)
{
    std::fprintf(stderr, "%s: %s\n", command, difference.c_str());
    std::abort();
}

// The units of a script joined by line feeds: the text whose tokens must
// come back. SQL*Plus command lines are not SQL (an apostrophe in a PROMPT
// text opens no literal), and the safety check compares them exactly.
std::u16string UnitsOf(std::u16string_view text)
{
    std::u16string units;
    for (const CScriptPiece& piece : SplitScript(text))
        if (IsUnit(piece.m_nKind))
            units.append(text.substr(piece.m_nStart, piece.m_nLength)).push_back(u'\n');
    return units;
}

// Runs one command and returns its result, after checking it.
std::u16string Check(const COptions& options, const std::u16string& text, int mode, bool commentsMayBeDropped)
{
    const char* command = mode == MODE_FORMAT ? "Format" : "Capitalise";
    std::u16string output = Format(text, options, mode).m_sText;
    qmcli::CTokenCheckRules safetyRules;
    safetyRules.m_bCommentsRemoved = commentsMayBeDropped;
    safetyRules.m_bHintsKept = options.m_Comments.m_bDontRemoveHints;
    if (auto difference = qmcli::CompareTokens(text, output, safetyRules))
        Fail(command, "safety check: " + difference->Describe());
    TokenCompareRules rules;
    rules.bCommentsMayBeDropped = commentsMayBeDropped;
    if (auto difference = FirstTokenDifference(UnitsOf(text), UnitsOf(output), rules))
        Fail(command, *difference);
    return output;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    COptions options; // the defaults, before the header changes them

    CFuzzInput input(data, size);
    SetOptions(options, input);
    std::u16string text = input.RestAsText();

    Check(options, text, MODE_FORMAT, options.m_Comments.m_bRemoveComments);
    const std::u16string capitalised = Check(options, text, MODE_CAPITALISE, false);

    // With the margin -1 nothing re-indents a Capitalise result: it is the
    // input with only the case of ASCII letters changed, character for character.
    if (options.m_General.m_nLeftMargin == -1 && !options.m_General.m_bAutoDetectLeftMargin && !text.empty()) {
        const std::u16string& output = capitalised;
        auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        if (output.size() != text.size())
            Fail("Capitalise", "the length changed with the margin -1");
        for (size_t i = 0; i < text.size(); ++i)
            if (fold(output[i]) != fold(text[i]))
                Fail("Capitalise", "character " + std::to_string(i + 1) + " changed with the margin -1");
    }
    return 0;
}
