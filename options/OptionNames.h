// The options as people write them: for each group a section name in words,
// for each field a key in words, the words of its values where the field is a
// choice, and the range of a number. Options files and the command line read
// and write this form; the stored names ("[Options\CCapitalisation]",
// "m_nKeywords") and plain numbers stay valid beside it. The desktop store
// keeps its own format and never sees these names.
#pragma once

#include "Options.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One word of a choice and the value it stands for.
struct COptionWord
{
    std::string_view m_sWord;
    int32_t m_nValue;
};

// One field as people name it.
struct COptionKey
{
    std::string_view m_sField; // the member's stored name, "m_nKeywords"
    // The key in words, "keywords"; empty for a field that only the desktop
    // app keeps (it has no readable name and options files leave it out).
    std::string_view m_sKey;
    // The words of a choice or of a flag's two values, in the order the option
    // pages list them; empty for a plain number, flag or text.
    std::span<const COptionWord> m_aWords;
    int32_t m_nMin = 0; // the range of a number; a choice takes its words' values
    int32_t m_nMax = 0;
    std::string_view m_sMeaning; // one line for the list of every key
};

// One group as people name it.
struct COptionSection
{
    std::string_view m_sGroup;   // "CCapitalisation"
    std::string_view m_sSection; // "capitalisation"
    std::vector<COptionKey> m_aKeys;
};

// Every group in the order of COptions::m_aGroups, each key in the order of its
// group's fields.
const std::vector<COptionSection>& OptionSections();

// A field found by any of its names, with the descriptor that reaches it.
struct COptionTarget
{
    const COptionSection* m_pSection = nullptr;
    const COptionKey* m_pKey = nullptr;
    const COptions::COptElementBase::COptElInfo* m_pInfo = nullptr;

    // "capitalisation.keywords"; the stored names for a desktop-only field.
    std::string ReadableName() const;
};

// The section of a group by its name in words ("select", any case), its
// stored section ("Options\CSelect") or its class name ("CSelect"); or null.
const COptionSection* FindOptionSection(std::string_view name);

// The field of a section by its key in words (any case) or its stored name;
// nothing when the section has no such key.
std::optional<COptionTarget> FindOptionKey(const COptions& options, const COptionSection& section,
                                           std::string_view key);

// Sets the field from text strictly: a choice takes one of its words or the
// number of one, a flag true/false, yes/no, on/off, 1/0 or its own words, a
// number a whole number in its range; blanks around the text do not count.
// False, with the reason ("is not one of ..."), when the text is not allowed.
bool SetOptionFromText(const COptionTarget& target, std::string_view text, std::string& reason);

// A flag's value from true/false, yes/no, on/off or 1/0 (any case, blanks
// around it allowed); nothing for other text.
std::optional<bool> ParseOptionFlag(std::string_view text);

// The field's value as an options file writes it: a word where the field has
// words, true/false for a flag, else the number or the text.
std::string OptionValueText(const COptionTarget& target);

// What the field may hold, as one line: "upper | lower | initcap | ...",
// "true | false", "-1 to 1000", "any text".
std::string OptionAllowedValues(const COptionTarget& target);
