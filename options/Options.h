// The formatting options: ten groups of public fields that the engine reads on
// every run, each group with a table of descriptors (name, field, type) from
// which one generic pair of routines loads and saves it in the profile store.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CProfileStore;

// Capitalisation modes.
enum CapMode { CAP_UPPER = 0, CAP_LOWER = 1, CAP_INITCAP = 2, CAP_NOCHANGE = 3, CAP_INITCAP_EACH = 4 };
// Where the comma of a stacked list goes.
enum CommaPos { COMMA_AFTER = 0, COMMA_BEFORE = 1, COMMA_BEFORE_SPACE = 2 };
// Spacing of the comma in a wrapped list.
enum CommaSpace { COMMASPACE_BEFORE = 1, COMMASPACE_AFTER = 2, COMMASPACE_BOTH = 3 };
// Spacing around parentheses.
enum ParenSpace { PAREN_COMPACT = 0, PAREN_BEFORE = 1, PAREN_INSIDE = 2, PAREN_BEFORE_INSIDE = 3 };

enum OptionType { OPT_INT = 0, OPT_BOOL = 1, OPT_STRING = 2 };

class COptions
{
public:
    class COptElementBase
    {
    public:
        struct COptElInfo
        {
            std::string m_sName; // value name in the store, the field's own name
            void* m_pField;      // int32_t*, bool* or std::u16string* by m_nType
            int32_t m_nType;     // OptionType
        };

        explicit COptElementBase(std::string name) : m_sName(std::move(name)) {}
        virtual ~COptElementBase() = default;
        COptElementBase(const COptElementBase&) = delete; // descriptors point into the group
        COptElementBase& operator=(const COptElementBase&) = delete;

        void AddField(const char* name, void* field, int32_t type);
        // A field that options files and the command line may set but that
        // the store neither loads nor saves.
        void AddUnstoredField(const char* name, void* field, int32_t type);
        // Reads the group from the store; without the marker value the group
        // writes its current values (its defaults) instead.
        void LoadGroup(CProfileStore& store);
        void SaveGroup(CProfileStore& store) const;
        std::string SectionName() const { return "Options\\" + m_sName; }

        // The descriptor of a field, stored or not, or null.
        const COptElInfo* FindField(std::string_view name) const;
        // The field's value as it is stored ("%d" or the string as UTF-8).
        static std::string FieldText(const COptElInfo& info);
        // Sets the field the way loading does: integers and flags leniently,
        // a string only when the text is not empty.
        static void SetFieldFromText(const COptElInfo& info, std::string_view text);

        std::string m_sName;
        std::vector<COptElInfo> m_aInfo;         // the stored fields, in store order
        std::vector<COptElInfo> m_aUnstoredInfo; // the fields the store never sees
        // The group came after stores were first written: a store that holds
        // the marker but none of the group's values was written by an earlier
        // version, and the group keeps its defaults there instead of reading
        // every field as absent.
        bool m_bAddedLater = false;
    };

    class CParentheses : public COptElementBase
    {
    public:
        CParentheses();
        int32_t m_nSpace = PAREN_BEFORE;
    };

    class CCommas : public COptElementBase
    {
    public:
        CCommas();
        int32_t m_nSpace = COMMASPACE_AFTER;
        int32_t m_nListComma = COMMA_AFTER;
        int32_t m_nListCommaCorrection = 0;
        int32_t m_nStackedWrappedLength = 50;
        int32_t m_nRightMarginLength = 100; // not in the store: the desktop app keeps it for a session
    };

    class CAlignment : public COptElementBase
    {
    public:
        CAlignment();
        bool m_bRight = true;
    };

    class CComments : public COptElementBase
    {
    public:
        CComments();
        bool m_bRemoveComments = false;
        bool m_bDontRemoveHints = true;
        bool m_bCommentsOnNewLineBefore = false;
        bool m_bCommentsOnNewLineAfter = false;
        bool m_bCommentsOnNewLineLikeInInputSQL = true;
    };

    class CSelect : public COptElementBase
    {
    public:
        CSelect();
        bool m_bAlignColumnsAfterDistinct = false;
        int32_t m_nColumnListComma = COMMA_BEFORE;
        int32_t m_nAlignColumnListCorrection = 0;
        int32_t m_nFromListComma = COMMA_BEFORE;
        int32_t m_nAlignFromListCorrection = 0;
        bool m_bSelectColumnListStyle = false;
        bool m_bFromClauseStyle = false;
        bool m_bOrderByClauseStyle = false;
        int32_t m_nOrderByListComma = COMMA_BEFORE;
        int32_t m_nAlignOrderByListCorrection = 0;
        bool m_bGroupByClauseStyle = false;
        int32_t m_nGroupByListComma = COMMA_BEFORE;
        int32_t m_nAlignGroupByListCorrection = 0;
        int32_t m_nWithListComma = COMMA_BEFORE_SPACE;
        int32_t m_nAlignWithListCorrection = 0;
        bool m_bNewLineBeforeAsKeyword = true;
    };

    class CInsert : public COptElementBase
    {
    public:
        CInsert();
        bool m_bIntoClauseStyle = false;
        int32_t m_nIntoListComma = COMMA_BEFORE;
        int32_t m_nIntoListCorrection = 0;
        bool m_bValuesClauseStyle = false;
        int32_t m_nValuesListComma = COMMA_BEFORE;
        int32_t m_nValuesListCorrection = 0;
    };

    class CCapitalisation : public COptElementBase
    {
    public:
        CCapitalisation();
        int32_t m_nKeywords = CAP_UPPER;
        int32_t m_nDataTypes = CAP_UPPER;
        int32_t m_nFunctions = CAP_LOWER;
        int32_t m_nStFunctions = CAP_UPPER;
        int32_t m_nBindVars = CAP_NOCHANGE;
        int32_t m_nComments = CAP_NOCHANGE;
        int32_t m_nOther = CAP_LOWER;
    };

    class CCase : public COptElementBase
    {
    public:
        CCase();
        bool m_bCaseWhenThenInSameLine = false;
        int32_t m_nIdentCaseFromSwitch = 2;
        int32_t m_nIdentThenFromWhen = 0;
    };

    // PL/SQL units: whether blocks, declarations and control flow get a
    // layout of their own, and the indentation of one block level.
    class CPlsql : public COptElementBase
    {
    public:
        CPlsql();
        bool m_bLayoutBlocks = true;
        int32_t m_nBlockIndent = 2; // 0 to 8; the layout clamps other values

        static constexpr int32_t kMaxBlockIndent = 8;
    };

    class CGeneral : public COptElementBase
    {
    public:
        CGeneral();
        int32_t m_nLeftMargin = 0;
        bool m_bAutoDetectLeftMargin = false;
        bool m_bStartWithStartUp = true;
        int32_t m_nTabSize = 4;
        std::u16string m_sStr = u"Str"; // marker: the options were stored before
        int32_t m_nHkShowQMK = 0;
        int32_t m_nHkFormatClipboard = 0;
    };

    // Without a store the options keep their defaults and nothing is saved.
    // With one, every group is loaded from it now and saved to it on destruction.
    explicit COptions(CProfileStore* pStore = nullptr);
    ~COptions();
    COptions(const COptions&) = delete;
    COptions& operator=(const COptions&) = delete;

    void SaveAll();
    CProfileStore* Store() const { return m_pStore; }

    // The group with that class name ("CSelect"), or null.
    COptElementBase* FindGroup(std::string_view name) const;

    // Copies every field's value (stored or not) from another options object.
    void CopyValuesFrom(const COptions& other);

    std::vector<COptElementBase*> m_aGroups; // the ten groups in member order; not owned
    CParentheses m_Parentheses;
    CCommas m_Commas;
    CAlignment m_Alignment;
    CComments m_Comments;
    CSelect m_Select;
    CInsert m_Insert;
    CCapitalisation m_Capitalisation;
    CCase m_Case;
    CPlsql m_Plsql;
    CGeneral m_General; // last: it holds the marker, which it writes on a first run

private:
    CProfileStore* m_pStore;
};

// Section and value names of the marker that says the options were stored before.
inline constexpr const char* kOptionsMarkerSection = "Options\\CGeneral";
inline constexpr const char* kOptionsMarkerName = "m_sStr";

// Converts stored text to an integer the lenient way of the store: leading
// white space, an optional sign, decimal digits up to the first other
// character; no digits give 0 and a number beyond 32 bits is clamped.
int32_t OptionTextToInt(std::string_view text);

// UTF-8 and UTF-16 conversions of the option strings; malformed input becomes
// U+FFFD rather than being dropped.
std::u16string OptionUtf8ToUtf16(std::string_view text);
std::string OptionUtf16ToUtf8(std::u16string_view text);
