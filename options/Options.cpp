#include "Options.h"

#include "ProfileStore.h"

#include <limits>

// A field is stored under its own member name: the macro keeps the two equal.
#define QM_FIELD(member, type) AddField(#member, &member, type)

COptions::CParentheses::CParentheses() : COptElementBase("CParentheses")
{
    QM_FIELD(m_nSpace, OPT_INT);
}

COptions::CCommas::CCommas() : COptElementBase("CCommas")
{
    QM_FIELD(m_nSpace, OPT_INT);
    QM_FIELD(m_nListComma, OPT_INT);
    QM_FIELD(m_nListCommaCorrection, OPT_INT);
    QM_FIELD(m_nStackedWrappedLength, OPT_INT);
    // Not stored: a store written before it existed would load it as 0, which
    // stacks every list. Options files and the command line may still set it.
    AddUnstoredField("m_nRightMarginLength", &m_nRightMarginLength, OPT_INT);
}

COptions::CAlignment::CAlignment() : COptElementBase("CAlignment")
{
    QM_FIELD(m_bRight, OPT_BOOL);
}

COptions::CComments::CComments() : COptElementBase("CComments")
{
    QM_FIELD(m_bRemoveComments, OPT_BOOL);
    QM_FIELD(m_bDontRemoveHints, OPT_BOOL);
    QM_FIELD(m_bCommentsOnNewLineBefore, OPT_BOOL);
    QM_FIELD(m_bCommentsOnNewLineAfter, OPT_BOOL);
    QM_FIELD(m_bCommentsOnNewLineLikeInInputSQL, OPT_BOOL);
}

COptions::CSelect::CSelect() : COptElementBase("CSelect")
{
    QM_FIELD(m_bAlignColumnsAfterDistinct, OPT_BOOL);
    QM_FIELD(m_nColumnListComma, OPT_INT);
    QM_FIELD(m_nAlignColumnListCorrection, OPT_INT);
    QM_FIELD(m_nFromListComma, OPT_INT);
    QM_FIELD(m_nAlignFromListCorrection, OPT_INT);
    QM_FIELD(m_bSelectColumnListStyle, OPT_BOOL);
    QM_FIELD(m_bFromClauseStyle, OPT_BOOL);
    QM_FIELD(m_bOrderByClauseStyle, OPT_BOOL);
    QM_FIELD(m_nOrderByListComma, OPT_INT);
    QM_FIELD(m_nAlignOrderByListCorrection, OPT_INT);
    QM_FIELD(m_bGroupByClauseStyle, OPT_BOOL);
    QM_FIELD(m_nGroupByListComma, OPT_INT);
    QM_FIELD(m_nAlignGroupByListCorrection, OPT_INT);
    QM_FIELD(m_nWithListComma, OPT_INT);
    QM_FIELD(m_nAlignWithListCorrection, OPT_INT);
    QM_FIELD(m_bNewLineBeforeAsKeyword, OPT_BOOL);
}

COptions::CInsert::CInsert() : COptElementBase("CInsert")
{
    QM_FIELD(m_bIntoClauseStyle, OPT_BOOL);
    QM_FIELD(m_nIntoListComma, OPT_INT);
    QM_FIELD(m_nIntoListCorrection, OPT_INT);
    QM_FIELD(m_bValuesClauseStyle, OPT_BOOL);
    QM_FIELD(m_nValuesListComma, OPT_INT);
    QM_FIELD(m_nValuesListCorrection, OPT_INT);
}

COptions::CCapitalisation::CCapitalisation() : COptElementBase("CCapitalisation")
{
    QM_FIELD(m_nKeywords, OPT_INT);
    QM_FIELD(m_nDataTypes, OPT_INT);
    QM_FIELD(m_nFunctions, OPT_INT);
    QM_FIELD(m_nStFunctions, OPT_INT);
    QM_FIELD(m_nBindVars, OPT_INT);
    QM_FIELD(m_nComments, OPT_INT);
    QM_FIELD(m_nOther, OPT_INT);
}

COptions::CCase::CCase() : COptElementBase("CCase")
{
    QM_FIELD(m_bCaseWhenThenInSameLine, OPT_BOOL);
    QM_FIELD(m_nIdentCaseFromSwitch, OPT_INT);
    QM_FIELD(m_nIdentThenFromWhen, OPT_INT);
}

COptions::CPlsql::CPlsql() : COptElementBase("CPlsql")
{
    QM_FIELD(m_bLayoutBlocks, OPT_BOOL);
    QM_FIELD(m_nBlockIndent, OPT_INT);
    m_bAddedLater = true;
}

COptions::CGeneral::CGeneral() : COptElementBase("CGeneral")
{
    QM_FIELD(m_nLeftMargin, OPT_INT);
    QM_FIELD(m_bAutoDetectLeftMargin, OPT_BOOL);
    QM_FIELD(m_bStartWithStartUp, OPT_BOOL);
    QM_FIELD(m_nTabSize, OPT_INT);
    QM_FIELD(m_sStr, OPT_STRING);
    QM_FIELD(m_nHkShowQMK, OPT_INT);
    QM_FIELD(m_nHkFormatClipboard, OPT_INT);
}

#undef QM_FIELD

void COptions::COptElementBase::AddField(const char* name, void* field, int32_t type)
{
    m_aInfo.push_back(COptElInfo{name, field, type});
}

void COptions::COptElementBase::AddUnstoredField(const char* name, void* field, int32_t type)
{
    m_aUnstoredInfo.push_back(COptElInfo{name, field, type});
}

const COptions::COptElementBase::COptElInfo*
COptions::COptElementBase::FindField(std::string_view name) const
{
    for (const auto* list : {&m_aInfo, &m_aUnstoredInfo})
        for (const COptElInfo& info : *list)
            if (info.m_sName == name)
                return &info;
    return nullptr;
}

std::string COptions::COptElementBase::FieldText(const COptElInfo& info)
{
    switch (info.m_nType)
    {
    case OPT_INT:
        return std::to_string(*static_cast<const int32_t*>(info.m_pField));
    case OPT_BOOL:
        return *static_cast<const bool*>(info.m_pField) ? "1" : "0";
    case OPT_STRING:
        return OptionUtf16ToUtf8(*static_cast<const std::u16string*>(info.m_pField));
    }
    return {};
}

void COptions::COptElementBase::SetFieldFromText(const COptElInfo& info, std::string_view text)
{
    switch (info.m_nType)
    {
    case OPT_INT:
        *static_cast<int32_t*>(info.m_pField) = OptionTextToInt(text);
        break;
    case OPT_BOOL:
        *static_cast<bool*>(info.m_pField) = OptionTextToInt(text) != 0;
        break;
    case OPT_STRING:
        if (!text.empty())
            *static_cast<std::u16string*>(info.m_pField) = OptionUtf8ToUtf16(text);
        break;
    }
}

namespace
{
bool HoldsAnyValue(const CProfileStore& store, const std::string& section,
                   const std::vector<COptions::COptElementBase::COptElInfo>& fields)
{
    for (const auto& info : fields)
        if (store.GetString(section, info.m_sName))
            return true;
    return false;
}
} // namespace

void COptions::COptElementBase::LoadGroup(CProfileStore& store)
{
    // The marker is tested per group; CGeneral, which holds it, comes last, so
    // on a first run every group writes its defaults and CGeneral the marker.
    std::optional<std::string> marker = store.GetString(kOptionsMarkerSection, kOptionsMarkerName);
    if (!marker || marker->empty())
    {
        SaveGroup(store);
        return;
    }
    const std::string section = SectionName();
    if (m_bAddedLater && !HoldsAnyValue(store, section, m_aInfo))
    {
        SaveGroup(store);
        return;
    }
    for (const COptElInfo& info : m_aInfo)
    {
        // An absent value reads as empty text: integers and flags become 0.
        std::optional<std::string> value = store.GetString(section, info.m_sName);
        SetFieldFromText(info, value ? std::string_view(*value) : std::string_view());
    }
}

void COptions::COptElementBase::SaveGroup(CProfileStore& store) const
{
    const std::string section = SectionName();
    for (const COptElInfo& info : m_aInfo)
        store.WriteString(section, info.m_sName, FieldText(info));
}

COptions::COptions(CProfileStore* pStore)
    : m_aGroups{&m_Parentheses, &m_Commas, &m_Alignment, &m_Comments, &m_Select,
                &m_Insert, &m_Capitalisation, &m_Case, &m_Plsql, &m_General},
      m_pStore(pStore)
{
    // The defaults are the members' initialisers; only loading remains.
    if (m_pStore)
        for (COptElementBase* group : m_aGroups)
            group->LoadGroup(*m_pStore);
}

COptions::~COptions()
{
    SaveAll();
}

void COptions::SaveAll()
{
    if (!m_pStore)
        return;
    for (const COptElementBase* group : m_aGroups)
        group->SaveGroup(*m_pStore);
}

COptions::COptElementBase* COptions::FindGroup(std::string_view name) const
{
    for (COptElementBase* group : m_aGroups)
        if (group->m_sName == name)
            return group;
    return nullptr;
}

void COptions::CopyValuesFrom(const COptions& other)
{
    if (&other == this)
        return;
    // Both objects build the same descriptors in the same order.
    auto copy = [](const std::vector<COptElementBase::COptElInfo>& mine,
                   const std::vector<COptElementBase::COptElInfo>& theirs) {
        for (size_t f = 0; f < mine.size(); ++f)
        {
            switch (mine[f].m_nType)
            {
            case OPT_INT:
                *static_cast<int32_t*>(mine[f].m_pField) = *static_cast<const int32_t*>(theirs[f].m_pField);
                break;
            case OPT_BOOL:
                *static_cast<bool*>(mine[f].m_pField) = *static_cast<const bool*>(theirs[f].m_pField);
                break;
            case OPT_STRING:
                *static_cast<std::u16string*>(mine[f].m_pField) =
                    *static_cast<const std::u16string*>(theirs[f].m_pField);
                break;
            }
        }
    };
    for (size_t g = 0; g < m_aGroups.size(); ++g)
    {
        copy(m_aGroups[g]->m_aInfo, other.m_aGroups[g]->m_aInfo);
        copy(m_aGroups[g]->m_aUnstoredInfo, other.m_aGroups[g]->m_aUnstoredInfo);
    }
}

int32_t OptionTextToInt(std::string_view text)
{
    size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Accumulate in 64 bits and stop growing once past the 32-bit range.
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value <= kLimit)
            value = value * 10 + (text[i] - '0');
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

std::u16string OptionUtf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;)
    {
        unsigned char c = p[i];
        uint32_t cp;
        size_t len;
        if (c < 0x80)
        {
            cp = c;
            len = 1;
        }
        else if (c >= 0xC2 && c <= 0xDF)
        {
            cp = c & 0x1F;
            len = 2;
        }
        else if (c >= 0xE0 && c <= 0xEF)
        {
            cp = c & 0x0F;
            len = 3;
        }
        else if (c >= 0xF0 && c <= 0xF4)
        {
            cp = c & 0x07;
            len = 4;
        }
        else
        {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        bool ok = i + len <= n;
        for (size_t k = 1; ok && k < len; ++k)
        {
            if ((p[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Reject overlong forms, surrogates and values beyond Unicode.
        if (ok && ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                   (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
            ok = false;
        if (!ok)
        {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000)
        {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
        else
            out.push_back(static_cast<char16_t>(cp));
        i += len;
    }
    return out;
}

std::string OptionUtf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD; // a lone surrogate has no UTF-8 form
        if (cp < 0x80)
            out.push_back(static_cast<char>(cp));
        else if (cp < 0x800)
        {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
        else if (cp < 0x10000)
        {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
        else
        {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}
