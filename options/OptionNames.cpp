#include "OptionNames.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace
{

// The words of each value set, in the order of the option pages' lists.
constexpr COptionWord kCapWords[] = {
    {"upper", CAP_UPPER}, {"lower", CAP_LOWER}, {"initcap", CAP_INITCAP},
    {"initcap-each-word", CAP_INITCAP_EACH}, {"keep", CAP_NOCHANGE}};
constexpr COptionWord kCommaPosWords[] = {
    {"after", COMMA_AFTER}, {"before", COMMA_BEFORE}, {"before-with-space", COMMA_BEFORE_SPACE}};
constexpr COptionWord kCommaSpaceWords[] = {
    {"before", COMMASPACE_BEFORE}, {"after", COMMASPACE_AFTER}, {"before-and-after", COMMASPACE_BOTH}};
constexpr COptionWord kParenWords[] = {
    {"compact", PAREN_COMPACT}, {"before", PAREN_BEFORE}, {"inside", PAREN_INSIDE},
    {"before-and-inside", PAREN_BEFORE_INSIDE}};
constexpr COptionWord kListStyleWords[] = {{"stacked", 0}, {"wrapped", 1}};
constexpr COptionWord kAlignWords[] = {{"left", 0}, {"right", 1}};

// The spellings of a plain flag's two values; the first of each is written.
constexpr COptionWord kFlagWords[] = {{"true", 1}, {"false", 0}, {"yes", 1}, {"no", 0},
                                      {"on", 1},   {"off", 0},   {"1", 1},   {"0", 0}};

constexpr std::span<const COptionWord> kNone;
constexpr int32_t kMaxColumn = 1000; // the engine puts no more blanks than this
constexpr int32_t kMaxLength = 10000;
constexpr std::string_view kInsertUnused = "kept for INSERT lists; no layout rule reads it yet";

// Shorthands for the rows below: a choice, a flag, a number, a desktop-only field.
COptionKey Choice(std::string_view field, std::string_view key, std::span<const COptionWord> words,
                  std::string_view meaning)
{
    return {field, key, words, 0, 0, meaning};
}
COptionKey Flag(std::string_view field, std::string_view key, std::string_view meaning)
{
    return {field, key, kNone, 0, 1, meaning};
}
COptionKey Number(std::string_view field, std::string_view key, int32_t min, int32_t max,
                  std::string_view meaning)
{
    return {field, key, kNone, min, max, meaning};
}
COptionKey DesktopOnly(std::string_view field)
{
    return {field, {}, kNone, INT32_MIN, INT32_MAX, "kept by the desktop app only"};
}

} // namespace

// One row per group. A group added to COptions gets its row here; a test
// checks that every field has its key.
const std::vector<COptionSection>& OptionSections()
{
    static const std::vector<COptionSection> kSections = {
        {"CParentheses", "parentheses",
         {Choice("m_nSpace", "spacing", kParenWords, "blanks before and inside parentheses")}},
        {"CCommas", "commas",
         {Choice("m_nSpace", "wrapped-spacing", kCommaSpaceWords, "blanks around the commas of a wrapped list"),
          Choice("m_nListComma", "list-comma", kCommaPosWords,
                 "comma of a stacked list that has no setting of its own"),
          Number("m_nListCommaCorrection", "list-comma-correction", -kMaxColumn, kMaxColumn,
                 "extra indentation of those lists' continuation lines"),
          Number("m_nStackedWrappedLength", "stack-length", 0, kMaxLength,
                 "a parenthesised list whose text is this long or longer is stacked"),
          Number("m_nRightMarginLength", "right-margin", 0, kMaxLength,
                 "a parenthesised list that opens at this column or further right is stacked")}},
        {"CAlignment", "alignment",
         {Choice("m_bRight", "keywords", kAlignWords, "clause keywords aligned on their right or left edge")}},
        {"CComments", "comments",
         {Flag("m_bRemoveComments", "remove", "comments are left out of the result"),
          Flag("m_bDontRemoveHints", "keep-hints", "with remove on, optimizer hints stay"),
          Flag("m_bCommentsOnNewLineBefore", "new-line-before", "a comment always starts a line"),
          Flag("m_bCommentsOnNewLineAfter", "new-line-after", "a line always ends after a comment"),
          Flag("m_bCommentsOnNewLineLikeInInputSQL", "new-lines-as-input",
               "line breaks around a comment follow the input")}},
        {"CSelect", "select",
         {Flag("m_bAlignColumnsAfterDistinct", "align-after-distinct",
               "a stacked SELECT list aligns after DISTINCT"),
          Choice("m_nColumnListComma", "column-list-comma", kCommaPosWords, "comma of a stacked SELECT list"),
          Number("m_nAlignColumnListCorrection", "column-list-correction", -kMaxColumn, kMaxColumn,
                 "shift of the SELECT list's items, in columns"),
          Choice("m_nFromListComma", "from-list-comma", kCommaPosWords, "comma of a stacked FROM list"),
          Number("m_nAlignFromListCorrection", "from-list-correction", -kMaxColumn, kMaxColumn,
                 "shift of the FROM list's items"),
          Choice("m_bSelectColumnListStyle", "column-list-style", kListStyleWords, "layout of the SELECT list"),
          Choice("m_bFromClauseStyle", "from-list-style", kListStyleWords, "layout of the FROM list"),
          Choice("m_bOrderByClauseStyle", "order-by-list-style", kListStyleWords, "layout of the ORDER BY list"),
          Choice("m_nOrderByListComma", "order-by-list-comma", kCommaPosWords,
                 "comma of a stacked ORDER BY list"),
          Number("m_nAlignOrderByListCorrection", "order-by-list-correction", -kMaxColumn, kMaxColumn,
                 "shift of the ORDER BY list's items"),
          Choice("m_bGroupByClauseStyle", "group-by-list-style", kListStyleWords, "layout of the GROUP BY list"),
          Choice("m_nGroupByListComma", "group-by-list-comma", kCommaPosWords,
                 "comma of a stacked GROUP BY list"),
          Number("m_nAlignGroupByListCorrection", "group-by-list-correction", -kMaxColumn, kMaxColumn,
                 "shift of the GROUP BY list's items"),
          Choice("m_nWithListComma", "with-list-comma", kCommaPosWords, "comma of the WITH list (always stacked)"),
          Number("m_nAlignWithListCorrection", "with-list-correction", -kMaxColumn, kMaxColumn,
                 "shift of the WITH list's items"),
          Flag("m_bNewLineBeforeAsKeyword", "new-line-before-as", "in a WITH clause, AS starts a line")}},
        {"CInsert", "insert",
         {Choice("m_bIntoClauseStyle", "into-list-style", kListStyleWords, kInsertUnused),
          Choice("m_nIntoListComma", "into-list-comma", kCommaPosWords, kInsertUnused),
          Number("m_nIntoListCorrection", "into-list-correction", -kMaxColumn, kMaxColumn,
                 kInsertUnused),
          Choice("m_bValuesClauseStyle", "values-list-style", kListStyleWords, kInsertUnused),
          Choice("m_nValuesListComma", "values-list-comma", kCommaPosWords, kInsertUnused),
          Number("m_nValuesListCorrection", "values-list-correction", -kMaxColumn, kMaxColumn,
                 kInsertUnused)}},
        {"CCapitalisation", "capitalisation",
         {Choice("m_nKeywords", "keywords", kCapWords, "case of keywords"),
          Choice("m_nDataTypes", "data-types", kCapWords, "case of data types"),
          Choice("m_nFunctions", "functions", kCapWords, "case of user functions' names"),
          Choice("m_nStFunctions", "standard-functions", kCapWords, "case of built-in functions' names"),
          Choice("m_nBindVars", "bind-variables", kCapWords, "case of bind variables"),
          Choice("m_nComments", "comments", kCapWords, "case of comments"),
          Choice("m_nOther", "other", kCapWords, "case of every other word")}},
        {"CCase", "case",
         {Flag("m_bCaseWhenThenInSameLine", "then-on-when-line", "THEN stays on the line of its WHEN"),
          Number("m_nIdentCaseFromSwitch", "when-indent", 0, kMaxColumn,
                 "indentation of WHEN and ELSE from CASE"),
          Number("m_nIdentThenFromWhen", "then-indent", 0, kMaxColumn, "further indentation of THEN from WHEN")}},
        {"CPlsql", "plsql",
         {Flag("m_bLayoutBlocks", "layout-blocks", "PL/SQL blocks, declarations and control flow get a layout of their own"),
          Number("m_nBlockIndent", "block-indent", 0, COptions::CPlsql::kMaxBlockIndent,
                 "blanks of one block level in PL/SQL")}},
        {"CGeneral", "general",
         {Number("m_nLeftMargin", "left-margin", -1, kMaxColumn,
                 "blanks before every line; -1 keeps the input's indentation"),
          Flag("m_bAutoDetectLeftMargin", "detect-left-margin", "the left margin is taken from the input"),
          DesktopOnly("m_bStartWithStartUp"),
          Number("m_nTabSize", "tab-size", 1, 100, "width of a tab where indentation is measured"),
          DesktopOnly("m_sStr"),
          DesktopOnly("m_nHkShowQMK"),
          DesktopOnly("m_nHkFormatClipboard")}},
    };
    return kSections;
}

namespace
{

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameWord(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view TrimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<int32_t> WholeNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int32_t> WordValue(std::span<const COptionWord> words, std::string_view text)
{
    for (const COptionWord& word : words)
        if (SameWord(word.m_sWord, text))
            return word.m_nValue;
    return std::nullopt;
}

} // namespace

std::string COptionTarget::ReadableName() const
{
    if (m_pKey->m_sKey.empty())
        return std::string(m_pSection->m_sGroup) + "." + std::string(m_pKey->m_sField);
    return std::string(m_pSection->m_sSection) + "." + std::string(m_pKey->m_sKey);
}

const COptionSection* FindOptionSection(std::string_view name)
{
    constexpr std::string_view kStoredPrefix = "Options\\";
    const bool stored = name.starts_with(kStoredPrefix);
    if (stored)
        name.remove_prefix(kStoredPrefix.size());
    for (const COptionSection& section : OptionSections())
        if (name == section.m_sGroup || (!stored && SameWord(name, section.m_sSection)))
            return &section;
    return nullptr;
}

std::optional<COptionTarget> FindOptionKey(const COptions& options, const COptionSection& section,
                                           std::string_view key)
{
    const COptions::COptElementBase* group = options.FindGroup(section.m_sGroup);
    if (!group)
        return std::nullopt;
    for (const COptionKey& row : section.m_aKeys)
    {
        if (key != row.m_sField && (row.m_sKey.empty() || !SameWord(key, row.m_sKey)))
            continue;
        const auto* info = group->FindField(row.m_sField);
        if (!info)
            return std::nullopt;
        return COptionTarget{&section, &row, info};
    }
    return std::nullopt;
}

bool SetOptionFromText(const COptionTarget& target, std::string_view text, std::string& reason)
{
    const COptionKey& key = *target.m_pKey;
    const COptions::COptElementBase::COptElInfo& info = *target.m_pInfo;
    text = TrimBlanks(text);
    std::optional<int32_t> value;
    if (info.m_nType == OPT_STRING)
    {
        COptions::COptElementBase::SetFieldFromText(info, text);
        return true;
    }
    if (!key.m_aWords.empty())
    {
        value = WordValue(key.m_aWords, text);
        if (!value)
            if (const auto number = WholeNumber(text))
                if (std::any_of(key.m_aWords.begin(), key.m_aWords.end(),
                                [&](const COptionWord& w) { return w.m_nValue == *number; }))
                    value = number;
    }
    else if (info.m_nType == OPT_BOOL)
        value = WordValue(kFlagWords, text);
    else if ((value = WholeNumber(text)) && (*value < key.m_nMin || *value > key.m_nMax))
        value.reset();
    if (!value)
    {
        reason = "'" + std::string(text) + "' is not " +
                 (key.m_aWords.empty() && info.m_nType == OPT_INT ? "a whole number from " : "one of ") +
                 OptionAllowedValues(target);
        return false;
    }
    if (info.m_nType == OPT_BOOL)
        *static_cast<bool*>(info.m_pField) = *value != 0;
    else
        *static_cast<int32_t*>(info.m_pField) = *value;
    return true;
}

std::optional<bool> ParseOptionFlag(std::string_view text)
{
    if (const auto value = WordValue(kFlagWords, TrimBlanks(text)))
        return *value != 0;
    return std::nullopt;
}

std::string OptionValueText(const COptionTarget& target)
{
    const COptions::COptElementBase::COptElInfo& info = *target.m_pInfo;
    if (info.m_nType == OPT_STRING)
        return COptions::COptElementBase::FieldText(info);
    const int32_t value = info.m_nType == OPT_BOOL ? *static_cast<const bool*>(info.m_pField)
                                                   : *static_cast<const int32_t*>(info.m_pField);
    const std::span<const COptionWord> words =
        target.m_pKey->m_aWords.empty() && info.m_nType == OPT_BOOL ? std::span(kFlagWords)
                                                                    : target.m_pKey->m_aWords;
    for (const COptionWord& word : words)
        if (word.m_nValue == value)
            return std::string(word.m_sWord);
    // A value outside the set (only the lenient desktop store can hold one)
    // is written as its number, which the strict reader then names.
    return std::to_string(value);
}

std::string OptionAllowedValues(const COptionTarget& target)
{
    const COptionKey& key = *target.m_pKey;
    if (target.m_pInfo->m_nType == OPT_STRING)
        return "any text";
    if (key.m_aWords.empty() && target.m_pInfo->m_nType == OPT_BOOL)
        return "true | false";
    if (key.m_aWords.empty())
        return std::to_string(key.m_nMin) + " to " + std::to_string(key.m_nMax);
    std::string text;
    for (const COptionWord& word : key.m_aWords)
        text += (text.empty() ? "" : " | ") + std::string(word.m_sWord);
    return text;
}
