// The eight option pages driven as a user would: what each control shows when
// the page is filled, what it stores, the enabling rules, the re-run of the
// last command after every change, and the keys the pages swallow.
#include "PanelTest.h"

#include "FormOptAlignments.h"
#include "FormOptCapitalisation.h"
#include "FormOptCase.h"
#include "FormOptCommas.h"
#include "FormOptComments.h"
#include "FormOptPane.h"
#include "FormOptParenthesis.h"
#include "FormOptPlsql.h"
#include "FormOptSelect.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>

#include <functional>

namespace {

using ::PrintTo;

enum PageKind { ALIGNMENTS, SELECT, COMMAS, PARENTHESES, CASE, CAPITALISATION, COMMENTS, PLSQL };

std::unique_ptr<CFormOptDlg> NewPage(PageKind kind)
{
    switch (kind)
    {
    case ALIGNMENTS: return std::make_unique<CFormOptAlignments>();
    case SELECT: return std::make_unique<CFormOptSelect>();
    case COMMAS: return std::make_unique<CFormOptCommas>();
    case PARENTHESES: return std::make_unique<CFormOptParenthesis>();
    case CASE: return std::make_unique<CFormOptCase>();
    case CAPITALISATION: return std::make_unique<CFormOptCapitalisation>();
    case COMMENTS: return std::make_unique<CFormOptComments>();
    case PLSQL: return std::make_unique<CFormOptPlsql>();
    }
    return nullptr;
}

class OptionPageTest : public CDocumentTest
{
protected:
    CFormOptDlg& Page(PageKind kind)
    {
        m_pPage = NewPage(kind);
        m_pPage->m_pDoc = m_pDoc.get();
        EXPECT_TRUE(m_pPage->Create(nullptr));
        return *m_pPage;
    }
    QWidget* Item(int id) { return m_pPage->GetDlgItem(id); }

    std::unique_ptr<CFormOptDlg> m_pPage;
};

const char* const kSql = "select a, b from t1 where a = 1 order by b";

// ---- What each control stores ------------------------------------------------

struct CStoreCase
{
    const char* m_sName;
    PageKind m_nPage;
    int m_nId;
    int m_nChoose;       // list index to pick, or -1 to click the check box
    std::function<int32_t(COptions&)> m_Field;
    int32_t m_nExpected;
};

class PageStores : public OptionPageTest, public testing::WithParamInterface<CStoreCase> {};

TEST_P(PageStores, ControlWritesItsField)
{
    const CStoreCase& row = GetParam();
    Page(row.m_nPage);
    ASSERT_NE(Item(row.m_nId), nullptr);
    if (row.m_nChoose >= 0)
        ChooseItem(Item(row.m_nId), row.m_nChoose);
    else
        ClickCheck(Item(row.m_nId));
    EXPECT_EQ(row.m_Field(Options()), row.m_nExpected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageStores,
    testing::Values(
        CStoreCase{"AlignLeft", ALIGNMENTS, 1002, 0, [](COptions& o) { return int32_t(o.m_Alignment.m_bRight); }, 0},
        CStoreCase{"AutodetectMargin", ALIGNMENTS, 1014, -1,
                   [](COptions& o) { return int32_t(o.m_General.m_bAutoDetectLeftMargin); }, 1},
        CStoreCase{"SelectWrapped", SELECT, 1003, 1,
                   [](COptions& o) { return int32_t(o.m_Select.m_bSelectColumnListStyle); }, 1},
        CStoreCase{"SelectCommaAfter", SELECT, 1004, 0, [](COptions& o) { return o.m_Select.m_nColumnListComma; }, 0},
        CStoreCase{"DistinctAlign", SELECT, 1005, -1,
                   [](COptions& o) { return int32_t(o.m_Select.m_bAlignColumnsAfterDistinct); }, 1},
        CStoreCase{"FromWrapped", SELECT, 1006, 1, [](COptions& o) { return int32_t(o.m_Select.m_bFromClauseStyle); }, 1},
        CStoreCase{"FromComma", SELECT, 1007, 2, [](COptions& o) { return o.m_Select.m_nFromListComma; }, 2},
        CStoreCase{"NewLineBeforeAs", SELECT, 1008, -1,
                   [](COptions& o) { return int32_t(o.m_Select.m_bNewLineBeforeAsKeyword); }, 0},
        CStoreCase{"GroupByWrapped", SELECT, 1009, 1,
                   [](COptions& o) { return int32_t(o.m_Select.m_bGroupByClauseStyle); }, 1},
        CStoreCase{"GroupByComma", SELECT, 1010, 0, [](COptions& o) { return o.m_Select.m_nGroupByListComma; }, 0},
        CStoreCase{"OrderByWrapped", SELECT, 1011, 1,
                   [](COptions& o) { return int32_t(o.m_Select.m_bOrderByClauseStyle); }, 1},
        CStoreCase{"OrderByComma", SELECT, 1012, 2, [](COptions& o) { return o.m_Select.m_nOrderByListComma; }, 2},
        CStoreCase{"WithComma", SELECT, 1013, 0, [](COptions& o) { return o.m_Select.m_nWithListComma; }, 0},
        CStoreCase{"CommaSpaceBeforeStores1", COMMAS, 1006, 0, [](COptions& o) { return o.m_Commas.m_nSpace; }, 1},
        CStoreCase{"CommaSpaceBothStores3", COMMAS, 1006, 2, [](COptions& o) { return o.m_Commas.m_nSpace; }, 3},
        CStoreCase{"StackedComma", COMMAS, 1007, 1, [](COptions& o) { return o.m_Commas.m_nListComma; }, 1},
        CStoreCase{"ParenCompact", PARENTHESES, 1008, 0, [](COptions& o) { return o.m_Parentheses.m_nSpace; }, 0},
        CStoreCase{"ParenBeforeInside", PARENTHESES, 1008, 3, [](COptions& o) { return o.m_Parentheses.m_nSpace; }, 3},
        CStoreCase{"WhenThenSameLine", CASE, 1009, -1,
                   [](COptions& o) { return int32_t(o.m_Case.m_bCaseWhenThenInSameLine); }, 1},
        CStoreCase{"KeywordsInitCapEachStores4", CAPITALISATION, 1011, 3,
                   [](COptions& o) { return o.m_Capitalisation.m_nKeywords; }, 4},
        CStoreCase{"FunctionsNoChangeStores3", CAPITALISATION, 1012, 4,
                   [](COptions& o) { return o.m_Capitalisation.m_nFunctions; }, 3},
        CStoreCase{"StdFunctionsLower", CAPITALISATION, 1014, 1,
                   [](COptions& o) { return o.m_Capitalisation.m_nStFunctions; }, 1},
        CStoreCase{"OthersInitCap", CAPITALISATION, 1015, 2, [](COptions& o) { return o.m_Capitalisation.m_nOther; }, 2},
        CStoreCase{"BindVarsUpper", CAPITALISATION, 1016, 0, [](COptions& o) { return o.m_Capitalisation.m_nBindVars; }, 0},
        CStoreCase{"CommentsInitCapEach", CAPITALISATION, 1017, 3,
                   [](COptions& o) { return o.m_Capitalisation.m_nComments; }, 4},
        CStoreCase{"RemoveComments", COMMENTS, 1012, -1, [](COptions& o) { return int32_t(o.m_Comments.m_bRemoveComments); }, 1},
        CStoreCase{"NewLineBefore", COMMENTS, 1014, -1,
                   [](COptions& o) { return int32_t(o.m_Comments.m_bCommentsOnNewLineBefore); }, 1},
        CStoreCase{"NewLineAfter", COMMENTS, 1015, -1,
                   [](COptions& o) { return int32_t(o.m_Comments.m_bCommentsOnNewLineAfter); }, 1},
        CStoreCase{"LikeInInput", COMMENTS, 1016, -1,
                   [](COptions& o) { return int32_t(o.m_Comments.m_bCommentsOnNewLineLikeInInputSQL); }, 0},
        CStoreCase{"LayoutOfBlocksOff", PLSQL, 1018, -1, [](COptions& o) { return int32_t(o.m_Plsql.m_bLayoutBlocks); }, 0}),
    [](const testing::TestParamInfo<CStoreCase>& info) { return std::string(info.param.m_sName); });

// ---- What a page shows when it is filled --------------------------------------

TEST_F(OptionPageTest, CapitalisationPageShowsStoredValues)
{
    Options().m_Capitalisation.m_nKeywords = 7; // not a mode: shows "Uppercase"
    Options().m_Capitalisation.m_nFunctions = 3;
    Options().m_Capitalisation.m_nStFunctions = 4;
    Page(CAPITALISATION);
    EXPECT_EQ(ListText(Item(1011)), "Uppercase");
    EXPECT_EQ(ListText(Item(1012)), "No Change");
    EXPECT_EQ(ListText(Item(1014)), "InitCap Each Word");
    EXPECT_EQ(Options().m_Capitalisation.m_nKeywords, 7) << "filling the page stores nothing";
    ChooseItem(Item(1012), 0);
    EXPECT_EQ(Options().m_Capitalisation.m_nKeywords, 7) << "another list leaves it alone";
    ChooseItem(Item(1011), 0);
    EXPECT_EQ(Options().m_Capitalisation.m_nKeywords, 0) << "until the user picks an item";
}

TEST_F(OptionPageTest, CommasPageShowsStoredZeroAsSpaceBefore)
{
    Options().m_Commas.m_nSpace = 0;
    Options().m_Commas.m_nStackedWrappedLength = 37;
    Page(COMMAS);
    EXPECT_EQ(ListText(Item(1006)), "Space before");
    EXPECT_EQ(Edit(Item(1013))->text(), "37");
    EXPECT_EQ(Edit(Item(1014))->text(), "100");
    EXPECT_EQ(Options().m_Commas.m_nSpace, 0);
}

struct CTextCase
{
    const char* m_sName;
    PageKind m_nPage;
    QStringList m_aTexts; // every static text, group box and check box text, in order
};

class PageTexts : public OptionPageTest, public testing::WithParamInterface<CTextCase> {};

TEST_P(PageTexts, ShowTheirLabels)
{
    Page(GetParam().m_nPage);
    QApplication::processEvents();
    QStringList texts;
    for (QWidget* child : m_pPage->findChildren<QWidget*>())
    {
        if (auto* label = qobject_cast<QLabel*>(child))
            texts << label->text();
        else if (auto* group = qobject_cast<QGroupBox*>(child))
            texts << group->title();
        else if (auto* check = qobject_cast<QCheckBox*>(child))
            texts << check->text();
        if (qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child))
        {
            EXPECT_GE(child->width(), child->sizeHint().width()) << "cut short: " << texts.last().toStdString();
        }
    }
    for (const QString& expected : GetParam().m_aTexts)
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageTexts,
    testing::Values(
        CTextCase{"Alignments", ALIGNMENTS, {"Keyword align in select/delete/update/insert", "Autodetect left margin"}},
        CTextCase{"Select",
                  SELECT,
                  {"Select list", "Select column list style", "Align columns after Distinct", "From clause/Join clause",
                   "Order By clause column list comma", "Group By clause column list style", "With clause",
                   "New line before AS"}},
        CTextCase{"Commas", COMMAS, {"Wrapped style commas in lists", "Stacked list style when", "Right margin more than"}},
        CTextCase{"Parentheses", PARENTHESES, {"Spacing"}},
        CTextCase{"Case", CASE, {"When/Then clause", "WHEN and THEN on one line", "Indent WHEN from CASE", "Indent THEN from WHEN"}},
        CTextCase{"Capitalisation",
                  CAPITALISATION,
                  {"Keywords", "Functions", "Standard functions", "Bind variables", "Comments", "Others"}},
        CTextCase{"Comments",
                  COMMENTS,
                  {"Remove", "Remove comments", "Don't remove hints", "New line", "Before comment", "After comment",
                   "Like in SQL input"}},
        CTextCase{"Plsql", PLSQL, {"Blocks", "Layout of blocks and statements", "Block indent (0 to 8)"}}),
    [](const testing::TestParamInfo<CTextCase>& info) { return std::string(info.param.m_sName); });

// ---- Enabling rules -----------------------------------------------------------

struct CEnableCase
{
    const char* m_sName;
    PageKind m_nPage;
    int m_nId;          // the control the user changes
    int m_nChoose;      // list index, or -1 to click
    std::vector<int> m_aEnabled;
    std::vector<int> m_aDisabled;
};

class PageEnabling : public OptionPageTest, public testing::WithParamInterface<CEnableCase> {};

TEST_P(PageEnabling, FollowsTheChange)
{
    const CEnableCase& row = GetParam();
    Page(row.m_nPage);
    if (row.m_nChoose >= 0)
        ChooseItem(Item(row.m_nId), row.m_nChoose);
    else
        ClickCheck(Item(row.m_nId));
    for (int id : row.m_aEnabled)
        EXPECT_TRUE(Item(id)->isEnabled()) << id;
    for (int id : row.m_aDisabled)
        EXPECT_FALSE(Item(id)->isEnabled()) << id;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageEnabling,
    testing::Values(CEnableCase{"SelectWrappedDisablesCommaAndDistinct", SELECT, 1003, 1, {1006, 1007, 1013, 1008}, {1004, 1005}},
                    CEnableCase{"SelectStackedEnablesThem", SELECT, 1003, 0, {1004, 1005}, {}},
                    CEnableCase{"FromWrapped", SELECT, 1006, 1, {1004, 1012, 1010}, {1007}},
                    CEnableCase{"OrderByWrapped", SELECT, 1011, 1, {1007, 1010}, {1012}},
                    CEnableCase{"GroupByWrapped", SELECT, 1009, 1, {1012, 1013}, {1010}},
                    CEnableCase{"WhenThenSameLineDisablesThenIndent", CASE, 1009, -1, {1009, 1010}, {1011}},
                    CEnableCase{"RemoveCommentsSwapsBoxes", COMMENTS, 1012, -1, {1013}, {1014, 1015, 1016}},
                    CEnableCase{"PlsqlLayoutOffDisablesIndent", PLSQL, 1018, -1, {1018}, {1019}}),
    [](const testing::TestParamInfo<CEnableCase>& info) { return std::string(info.param.m_sName); });

TEST_F(OptionPageTest, EnablingRulesKeepValues)
{
    Options().m_Select.m_nColumnListComma = 2;
    Options().m_Comments.m_bCommentsOnNewLineBefore = true;
    Page(SELECT);
    EXPECT_TRUE(Item(1004)->isEnabled());
    ChooseItem(Item(1003), 1);
    EXPECT_FALSE(Item(1004)->isEnabled());
    EXPECT_EQ(ListText(Item(1004)), "Before Comma With Space") << "a disabled list still shows its value";
    EXPECT_EQ(Options().m_Select.m_nColumnListComma, 2);
    ChooseItem(Item(1003), 0);
    EXPECT_TRUE(Item(1004)->isEnabled());
    EXPECT_TRUE(Item(1005)->isEnabled());

    Page(COMMENTS);
    EXPECT_FALSE(Item(1013)->isEnabled()) << "filled with comments kept";
    EXPECT_TRUE(Item(1014)->isEnabled());
    ClickCheck(Item(1012));
    EXPECT_TRUE(qobject_cast<QCheckBox*>(Item(1014))->isChecked());
    EXPECT_TRUE(Options().m_Comments.m_bCommentsOnNewLineBefore);
}

TEST_F(OptionPageTest, HintsBoxWorksOnlyWhileCommentsAreRemoved)
{
    Page(COMMENTS);
    ClickCheck(Item(1013)); // disabled: the click does nothing
    EXPECT_TRUE(Options().m_Comments.m_bDontRemoveHints);
    ClickCheck(Item(1012));
    ClickCheck(Item(1013));
    EXPECT_FALSE(Options().m_Comments.m_bDontRemoveHints);
}

TEST_F(OptionPageTest, FilledWrappedStylesStartDisabled)
{
    Options().m_Select.m_bFromClauseStyle = true;
    Options().m_Case.m_bCaseWhenThenInSameLine = true;
    Page(SELECT);
    EXPECT_FALSE(Item(1007)->isEnabled());
    EXPECT_TRUE(Item(1004)->isEnabled());
    Page(CASE);
    EXPECT_FALSE(Item(1011)->isEnabled());
}

// ---- Edit boxes -----------------------------------------------------------------

TEST_F(OptionPageTest, DigitsTypedOneByOneStoreAndRerunEachTime)
{
    SetInput(QString::fromUtf8(kSql));
    m_pView->FormatInput();
    Page(COMMAS);
    QLineEdit* length = Edit(Item(1013));
    length->clear();
    EXPECT_EQ(Options().m_Commas.m_nStackedWrappedLength, 0) << "clearing the box stores 0";

    SetOutput("stale");
    QTest::keyClick(length, Qt::Key_1);
    EXPECT_EQ(Options().m_Commas.m_nStackedWrappedLength, 1);
    EXPECT_NE(Output(), "stale") << "the keystroke re-ran the last command";

    SetOutput("stale");
    QTest::keyClick(length, Qt::Key_2);
    EXPECT_EQ(Options().m_Commas.m_nStackedWrappedLength, 12);
    EXPECT_NE(Output(), "stale");

    QTest::keyClick(length, Qt::Key_A);
    EXPECT_EQ(length->text(), "12") << "only digits can be typed";

    QTest::keyClick(length, Qt::Key_Backspace);
    QTest::keyClick(length, Qt::Key_Backspace);
    EXPECT_EQ(Options().m_Commas.m_nStackedWrappedLength, 0);
}

TEST_F(OptionPageTest, CreatingAPageAgainRefillsItWithoutDoubleHandlers)
{
    SetInput(QString::fromUtf8(kSql));
    m_pView->FormatInput();
    int outputChanges = 0;
    QObject::connect(&Editor(AppStrings::kOutputTab), &QsciScintilla::textChanged, [&outputChanges] { ++outputChanges; });
    auto changesForOneKey = [&](QWidget* box) {
        SetOutput("stale");
        outputChanges = 0;
        QTest::keyClick(Edit(box), Qt::Key_4);
        return outputChanges;
    };
    Page(COMMAS);
    const int once = changesForOneKey(Item(1013));

    CFormOptDlg& page = Page(CASE);
    Options().m_Case.m_nIdentCaseFromSwitch = 9;
    ASSERT_TRUE(page.Create(nullptr));
    EXPECT_EQ(Edit(Item(1010))->text(), "9");
    EXPECT_EQ(changesForOneKey(Item(1010)), once) << "one keystroke, one re-run";
    EXPECT_EQ(Options().m_Case.m_nIdentCaseFromSwitch, 94);
}

TEST_F(OptionPageTest, LargeCountsAreStoredAsTyped)
{
    Page(CASE);
    QLineEdit* indent = Edit(Item(1010));
    indent->clear();
    QTest::keyClicks(indent, "5000");
    EXPECT_EQ(Options().m_Case.m_nIdentCaseFromSwitch, 5000);
}

// ---- Re-running the last command -----------------------------------------------

TEST_F(OptionPageTest, ChangeBeforeAnyRunLeavesOutputEmpty)
{
    SetInput(QString::fromUtf8(kSql));
    Page(CAPITALISATION);
    ChooseItem(Item(1011), 1);
    EXPECT_EQ(Options().m_Capitalisation.m_nKeywords, 1);
    EXPECT_TRUE(Output().isEmpty());
    EXPECT_EQ(m_pView->currentIndex(), m_pView->FindTabIndex(AppStrings::kInputTab));
}

TEST_F(OptionPageTest, ChangeAfterCapitaliseRerunsCapitalise)
{
    SetInput("select a, b from t1");
    m_pView->CapitaliseInput();
    ASSERT_EQ(Output(), "SELECT a, b FROM t1");
    Page(CAPITALISATION);
    ChooseItem(Item(1011), 1); // keywords lower case
    EXPECT_EQ(Output(), "select a, b from t1") << "the layout is kept: Capitalise, not Format";
}

TEST_F(OptionPageTest, ChangeAfterFormatUsesTheTextOfThatRun)
{
    SetInput("select a from t1");
    m_pView->FormatInput();
    ASSERT_TRUE(Output().contains("t1"));
    SetInput("select b from t2");
    m_pView->setCurrentIndex(m_pView->FindTabIndex(AppStrings::kInputTab));
    Page(CAPITALISATION);
    ChooseItem(Item(1011), 1);
    EXPECT_TRUE(Output().contains("t1"));
    EXPECT_FALSE(Output().contains("t2"));
    EXPECT_TRUE(Output().contains("select")) << "the new option was used";
    EXPECT_EQ(m_pView->currentIndex(), m_pView->FindTabIndex(AppStrings::kInputTab)) << "the active tab stays";
}

// ---- Tool tips ----------------------------------------------------------------------

TEST_F(OptionPageTest, ToolTipExamplesKeepTheirColumns)
{
    Page(CASE);
    const QString tip = Item(1010)->toolTip();
    EXPECT_TRUE(tip.startsWith("<p>How many blanks WHEN is indented from CASE.</p>")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("<pre>2:  CASE\n      WHEN a = 1</pre>")) << tip.toStdString();
}

// ---- Keys and the pane ------------------------------------------------------------

TEST_F(OptionPageTest, EnterAndEscapeAreSwallowed)
{
    Page(COMMAS);
    QLineEdit* length = Edit(Item(1013));
    QSignalSpy returns(length, &QLineEdit::returnPressed);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(length, key);
    EXPECT_EQ(returns.count(), 0);
    EXPECT_TRUE(m_pPage->isVisible());
    QTest::keyClick(length, Qt::Key_End);
    QTest::keyClick(length, Qt::Key_3);
    EXPECT_EQ(Options().m_Commas.m_nStackedWrappedLength, 503) << "other keys still reach the box";
}

TEST_F(OptionPageTest, PaneSizesPageToItsWidthAndHeightLessFive)
{
    CFormOptCase page;
    page.m_pDoc = m_pDoc.get();
    CFormOptPane pane;
    ASSERT_TRUE(pane.Create(QRect(0, 0, 10, 10), nullptr, &page, 315, 1204));
    EXPECT_EQ(pane.m_pPage, &page);
    pane.show();
    const QSize least = pane.minimumSizeHint();
    pane.resize(least.width() + 40, least.height() + 30);
    EXPECT_EQ(page.geometry(), QRect(0, 0, least.width() + 40, least.height() + 25));
    pane.resize(least.width() + 300, least.height() + 200);
    EXPECT_EQ(page.geometry(), QRect(0, 0, least.width() + 300, least.height() + 195));
    page.setParent(nullptr); // the pane never owns its page
}

} // namespace
