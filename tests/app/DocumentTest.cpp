// The document and the tab view: the two tabs, Format and Capitalise, opening
// files in each encoding into the input tab and saving the output tab.
#include "AppTest.h"

#include "AppStrings.h"
#include "QuillmarkDoc.h"
#include "QuillmarkView.h"
#include "SQLParser.h"
#include "SQLView.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace
{
QString EngineResult(const QString& input, int mode)
{
    CSQLParser parser;
    parser.m_sInput = input.toStdU16String();
    parser.Process(mode);
    return QString::fromStdU16String(parser.m_sOutput);
}

class Document : public testing::Test
{
protected:
    Document() : m_Doc(&TestStore()), m_View(&m_Doc) {}

    CSQLView* Input() const { return m_View.FindTabView(AppStrings::kInputTab); }
    CSQLView* Output() const { return m_View.FindTabView(AppStrings::kOutputTab); }
    QString File(const QString& name) const { return m_Dir.filePath(name); }

    QTemporaryDir m_Dir;
    CQuillmarkDoc m_Doc;
    CQuillmarkView m_View;
};

TEST_F(Document, StartsWithTwoEmptyTabsAndTheInputActive)
{
    ASSERT_EQ(m_View.count(), 2);
    EXPECT_EQ(m_View.tabText(0), "SQL Input");
    EXPECT_EQ(m_View.tabText(1), "SQL Output");
    EXPECT_EQ(m_View.currentIndex(), 0);
    EXPECT_EQ(m_Doc.m_nLastCommand, 0);
    EXPECT_EQ(m_Doc.m_pView, &m_View);
    EXPECT_TRUE(Input()->text().isEmpty());
    EXPECT_TRUE(Output()->text().isEmpty());
    EXPECT_NE(Input(), Output());
    EXPECT_FALSE(m_Doc.IsModified());
    EXPECT_EQ(m_Doc.GetTitle(), "Untitled");
}

struct CTabCase
{
    const char* m_pName;
    QString m_sLabel;
    int m_nIndex;
};

void PrintTo(const CTabCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class FindTab : public Document, public testing::WithParamInterface<CTabCase>
{
};

TEST_P(FindTab, FindsOnlyTheExactLabel)
{
    const CTabCase& c = GetParam();
    Input()->setText("input text");
    Output()->setText("output text");
    EXPECT_EQ(m_View.FindTabIndex(c.m_sLabel), c.m_nIndex);
    CSQLView* pView = m_View.FindTabView(c.m_sLabel);
    QString text = "unchanged";
    m_View.GetTabText(c.m_sLabel, text);
    if (c.m_nIndex < 0)
    {
        EXPECT_EQ(pView, nullptr);
        EXPECT_EQ(text, "unchanged");
    }
    else
    {
        EXPECT_EQ(pView, m_View.widget(c.m_nIndex));
        EXPECT_EQ(text, c.m_nIndex == 0 ? "input text" : "output text");
    }
}

const CTabCase kTabCases[] = {
    {"Input", "SQL Input", 0},          {"Output", "SQL Output", 1},
    {"CaseCounts", "sql input", -1},    {"TrailingBlank", "SQL Output ", -1},
    {"Empty", "", -1},                  {"Unknown", "SQL", -1},
};

INSTANTIATE_TEST_SUITE_P(App, FindTab, testing::ValuesIn(kTabCases),
                         [](const testing::TestParamInfo<CTabCase>& info) { return std::string(info.param.m_pName); });

TEST_F(Document, FindTabStopsAtTheFirstTabWithoutLabel)
{
    m_View.insertTab(1, new QWidget, QString());
    EXPECT_EQ(m_View.FindTabIndex("SQL Input"), 0);
    EXPECT_EQ(m_View.FindTabIndex("SQL Output"), -1);
    EXPECT_EQ(m_View.FindTabView("SQL Output"), nullptr);
}

TEST_F(Document, FormatWithAnEmptyInputChangesNothing)
{
    Output()->setText("earlier output");
    m_Doc.m_nLastCommand = 1;
    for (auto run : {&CQuillmarkView::FormatInput, &CQuillmarkView::CapitaliseInput})
    {
        (m_View.*run)();
        EXPECT_EQ(Output()->text(), "earlier output");
        EXPECT_EQ(m_View.currentIndex(), 0);
        EXPECT_EQ(m_Doc.m_nLastCommand, 1);
    }
}

TEST_F(Document, FormatShowsTheEngineResultInTheOutputTab)
{
    const QString sql = "select a, b from t where x = 1 and y = 2";
    Input()->setText(sql);
    m_View.FormatInput();
    EXPECT_EQ(Output()->text(), EngineResult(sql, MODE_FORMAT));
    EXPECT_NE(Output()->text(), sql);
    EXPECT_EQ(m_View.currentIndex(), 1);
    EXPECT_EQ(m_Doc.m_nLastCommand, 0);
    EXPECT_EQ(QString::fromStdU16String(m_Doc.LastInput()), sql);
    // The input tab keeps what the user wrote.
    EXPECT_EQ(Input()->text(), sql);
}

TEST_F(Document, CapitaliseAfterAnEditUsesTheEditedInput)
{
    Input()->setText("select a from t");
    m_View.FormatInput();
    Input()->setText("select a,\n\n  b from t2 -- note");
    m_View.CapitaliseInput();
    EXPECT_EQ(Output()->text(), EngineResult("select a,\n\n  b from t2 -- note", MODE_CAPITALISE));
    EXPECT_EQ(m_Doc.m_nLastCommand, 1);
    EXPECT_EQ(m_View.currentIndex(), 1);
    m_View.FormatInput();
    EXPECT_EQ(m_Doc.m_nLastCommand, 0);
}

TEST_F(Document, FormatClearsTheOutputSelection)
{
    Output()->setText("old output");
    Output()->selectAll();
    Input()->setText("select 1 from dual");
    m_View.FormatInput();
    EXPECT_FALSE(Output()->hasSelectedText());
}

// Texts long enough for their units to go to several threads: every run shows
// what one thread gives, also once the input has changed (it is cut into
// pieces anew) and when an option change runs the last command again.
TEST_F(Document, LongTextsComeOutAsOnOneThread)
{
    const auto script = [](std::u16string_view units) {
        std::u16string text;
        while (text.size() < 300 * 1024)
            text += units;
        return QString::fromStdU16String(text);
    };
    const QString formatted = script(u"select a, b from t where c = 1;\n/\nbegin\n  null;\nend;\n/\nprompt hi\n");
    const QString other = script(u"update t set a = 1 where b in (select b from u) -- note\n/\n\n");
    const struct
    {
        const char* m_pName;
        const QString* m_pInput; // null: an option change re-runs the last command
        int m_nMode;
    } steps[] = {
        {"Format", &formatted, MODE_FORMAT},
        {"Capitalise another text", &other, MODE_CAPITALISE},
        {"Format it", &other, MODE_FORMAT},
        {"keywords in lower case", nullptr, MODE_FORMAT},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.m_pName);
        if (step.m_pInput)
        {
            Input()->setText(*step.m_pInput);
            step.m_nMode == MODE_FORMAT ? m_View.FormatInput() : m_View.CapitaliseInput();
        }
        else
        {
            m_Doc.Options().m_Capitalisation.m_nKeywords = CAP_LOWER;
            m_Doc.RerunLastCommand();
        }
        const std::u16string input = step.m_pInput ? step.m_pInput->toStdU16String() : m_Doc.LastInput();
        EXPECT_TRUE(Output()->text().toStdU16String() == Format(input, m_Doc.Options(), step.m_nMode).m_sText);
    }
    EXPECT_TRUE(Output()->text().startsWith(u"update t"));
}

// An option change or a new left margin lays the same result out anew: the
// output stays scrolled where the user was reading it, the caret on its line.
TEST_F(Document, ReRunsKeepTheOutputsPlace)
{
    std::u16string text;
    for (int i = 0; i < 300; ++i)
        text += u"select a, b from t where c = " + QString::number(i).toStdU16String() + u";\n";
    Input()->setText(QString::fromStdU16String(text));
    m_View.resize(640, 480);
    m_View.FormatInput();
    const std::function<void()> reruns[] = {
        [&] {
            m_Doc.Options().m_Capitalisation.m_nKeywords = CAP_LOWER;
            m_Doc.RerunLastCommand();
        },
        [&] { m_Doc.SetLeftMargin(4); },
    };
    for (const auto& rerun : reruns)
    {
        const QString before = Output()->text();
        Output()->setCursorPosition(250, 3);
        Output()->SendScintilla(QsciScintilla::SCI_SETFIRSTVISIBLELINE, 240UL);
        rerun();
        EXPECT_NE(Output()->text(), before);
        EXPECT_EQ(Output()->SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE), 240);
        int line = -1;
        int index = -1;
        Output()->getCursorPosition(&line, &index);
        EXPECT_EQ(line, 250);
        EXPECT_EQ(index, 3);
    }
}

// A NUL character (pasted with other text) stays in both tabs, and the text
// after it is neither formatted away nor left out of the saved file.
TEST_F(Document, TextAfterANulIsKept)
{
    const QStringView input(u"select 'a\0b' from t;\nselect c from u\n", 36);
    m_View.SetInputText(input);
    m_View.FormatInput();
    EXPECT_EQ(m_View.GetInputText(), input);
    const QString output = m_View.GetOutputText();
    EXPECT_EQ(output.toStdU16String(), Format(m_Doc.LastInput(), m_Doc.Options(), MODE_FORMAT).m_sText);
    EXPECT_TRUE(output.contains(input.sliced(7, 5))) << output.toStdString();
    EXPECT_TRUE(output.trimmed().endsWith(u"u")) << output.toStdString();
    CFileDialogAnswer answer(File("nul.sql"));
    ASSERT_TRUE(m_Doc.OnFileSave());
    EXPECT_EQ(QString::fromUtf8(ReadFileBytes(File("nul.sql"))).trimmed(), output.trimmed());
}

// A file holding a NUL opens whole, in each encoding, by Open and by opening
// it again in another set; the status bar says where the first NUL is, and
// saved back the text gives the file's bytes again.
TEST_F(Document, AFileWithANulOpensWhole)
{
    const struct
    {
        const char* m_pName;
        QByteArray m_aBytes;
        QString m_sInput;
        const char* m_pStatus;
    } cases[] = {
        {"Utf8InAString", QByteArray("select 'a\0b' from t;\nselect c from u\n", 37),
         QString::fromUtf16(u"select 'a\0b' from t;\nselect c from u\n", 37),
         "NUL character kept at byte offset 9 (counted from 0)"},
        {"Utf16AtTheStart", QByteArray("\xFF\xFE\0\0s\0e\0l\0e\0c\0t\0 \0" "1\0\n\0", 22),
         QString::fromUtf16(u"\0select 1\n", 10), "NUL character kept at byte offset 2 (counted from 0)"},
        {"Windows1252AtTheEnd", QByteArray("select '\xE9';\0\n", 13), QString::fromUtf16(u"select '\u00E9';\0\n", 13),
         "Opened as Windows-1252; NUL character kept at byte offset 11 (counted from 0)"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.m_pName);
        const QString path = File("nul.sql");
        ASSERT_TRUE(WriteFileBytes(path, c.m_aBytes));
        CMessageBoxRecorder boxes;
        QSignalSpy status(&m_Doc, &CQuillmarkDoc::statusMessage);
        ASSERT_TRUE(m_Doc.OnOpenDocument(path));
        EXPECT_TRUE(boxes.m_aTexts.empty());
        ASSERT_EQ(status.count(), 1);
        EXPECT_EQ(status[0][0].toString(), c.m_pStatus);
        EXPECT_EQ(m_View.GetInputText(), c.m_sInput);
        EXPECT_EQ(m_View.GetOutputText(), EngineResult(c.m_sInput, MODE_FORMAT));
        EXPECT_EQ(m_View.GetOutputText().count(QChar(0)), 1);

        ASSERT_TRUE(m_Doc.ReopenInCodePage(kCodePageWindows1252));
        EXPECT_EQ(m_View.GetInputText(), c.m_sInput);
        m_View.SetOutputText(c.m_sInput);
        ASSERT_TRUE(m_Doc.OnFileSave());
        EXPECT_EQ(ReadFileBytes(path), c.m_aBytes);
        EXPECT_TRUE(boxes.m_aTexts.empty());
    }
}

TEST_F(Document, EditingEitherTabMarksTheDocumentModified)
{
    QSignalSpy spy(&m_Doc, &CQuillmarkDoc::modifiedChanged);
    Input()->insert("select");
    EXPECT_TRUE(m_Doc.IsModified());
    EXPECT_EQ(spy.count(), 1);
    m_Doc.SetModifiedFlag(false);
    Output()->insert("x");
    EXPECT_TRUE(m_Doc.IsModified());
}

TEST_F(Document, NewDocumentEmptiesBothTabsAfterAskingToSave)
{
    Input()->setText("select 1 from dual");
    m_View.FormatInput();
    CMessageBoxRecorder boxes;
    boxes.m_nAnswer = QMessageBox::Cancel;
    m_Doc.OnFileNew();
    EXPECT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_EQ(Input()->text(), "select 1 from dual");
    boxes.m_nAnswer = QMessageBox::No;
    m_Doc.OnFileNew();
    EXPECT_TRUE(Input()->text().isEmpty());
    EXPECT_TRUE(Output()->text().isEmpty());
    EXPECT_EQ(m_View.currentIndex(), 0);
    EXPECT_FALSE(m_Doc.IsModified());
}

struct COpenCase
{
    const char* m_pName;
    QByteArray m_aBytes;
    QString m_sInput; // what the input tab shows
};

void PrintTo(const COpenCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class OpenFile : public Document, public testing::WithParamInterface<COpenCase>
{
};

TEST_P(OpenFile, LoadsTheInputTabAndFormatsIt)
{
    const COpenCase& c = GetParam();
    const QString path = File("query.sql");
    ASSERT_TRUE(WriteFileBytes(path, c.m_aBytes));
    QSignalSpy titles(&m_Doc, &CQuillmarkDoc::titleChanged);

    ASSERT_TRUE(m_Doc.OnOpenDocument(path));

    EXPECT_EQ(Input()->text(), c.m_sInput);
    EXPECT_EQ(Output()->text(), EngineResult(c.m_sInput, MODE_FORMAT));
    EXPECT_EQ(m_View.currentIndex(), 1);
    EXPECT_FALSE(m_Doc.IsModified());
    EXPECT_EQ(m_Doc.GetPathName(), path);
    EXPECT_EQ(m_Doc.GetTitle(), "query.sql");
    EXPECT_EQ(titles.count(), 1);
}

const COpenCase kOpenCases[] = {
    {"Utf8WithMark", QByteArray("\xEF\xBB\xBFselect 'caf\xC3\xA9' from t"), QString::fromUtf8("select 'café' from t")},
    {"Utf16LittleEndian", QByteArray("\xFF\xFEs\0e\0l\0e\0c\0t\0 \0\xAC\x20\n\0", 20),
     QString::fromUtf8("select €\n")},
    {"Utf16BigEndian", QByteArray("\xFE\xFF\0s\0e\0l\0e\0c\0t\0 \0x", 18), "select x"},
    {"LocaleText", QByteArray("select '\xC3\xA4' from t"), QString::fromUtf8("select 'ä' from t")},
    {"CrLfBecomesTheEditorsBreak", QByteArray("select a\r\nfrom t\r\n"), "select a\nfrom t\n"},
    {"CrAloneEndsALine", QByteArray("select a\rfrom t"), "select a\nfrom t"},
};

INSTANTIATE_TEST_SUITE_P(App, OpenFile, testing::ValuesIn(kOpenCases),
                         [](const testing::TestParamInfo<COpenCase>& info) { return std::string(info.param.m_pName); });

TEST_F(Document, AFileOfOnlyAMarkEmptiesTheInputAndKeepsTheOutput)
{
    Input()->setText("select 1 from dual");
    Output()->setText("earlier output");
    const QString path = File("mark.sql");
    ASSERT_TRUE(WriteFileBytes(path, "\xEF\xBB\xBF"));
    ASSERT_TRUE(m_Doc.OnOpenDocument(path));
    EXPECT_TRUE(Input()->text().isEmpty());
    EXPECT_EQ(Output()->text(), "earlier output");
    EXPECT_EQ(m_View.currentIndex(), 0);
}

TEST_F(Document, OpeningAnEmptyFileKeepsBothTabs)
{
    Input()->setText("select 1 from dual");
    m_View.FormatInput();
    const QString output = Output()->text();
    const QString path = File("empty.sql");
    ASSERT_TRUE(WriteFileBytes(path, QByteArray()));
    ASSERT_TRUE(m_Doc.OnOpenDocument(path));
    EXPECT_EQ(Input()->text(), "select 1 from dual");
    EXPECT_EQ(Output()->text(), output);
    EXPECT_EQ(m_Doc.GetTitle(), "empty.sql");
}

TEST_F(Document, AFileThatCannotBeOpenedIsReportedAndChangesNothing)
{
    Input()->setText("select 1 from dual");
    for (const QString& path : {File("missing.sql"), m_Dir.path()})
    {
        CMessageBoxRecorder boxes;
        EXPECT_FALSE(m_Doc.OnOpenDocument(path)) << path.toStdString();
        ASSERT_EQ(boxes.m_aTexts.size(), 1u);
        EXPECT_TRUE(boxes.m_aTexts[0].contains(path));
        EXPECT_EQ(Input()->text(), "select 1 from dual");
        EXPECT_EQ(m_Doc.GetTitle(), "Untitled");
    }
}

TEST_F(Document, OpenCommandOffersTheSqlFilter)
{
    const QString path = File("q.sql");
    ASSERT_TRUE(WriteFileBytes(path, "select 1 from dual"));
    CFileDialogAnswer dialog(path);
    m_Doc.OnFileOpen();
    EXPECT_EQ(dialog.m_nOpenShown, 1);
    EXPECT_TRUE(dialog.m_sLastFilter.startsWith("SQL files (*.sql "));
    EXPECT_EQ(Input()->text(), "select 1 from dual");
}

// A file is written back in the encoding it was read in, unless the user picks
// another; a legacy file keeps every byte it had.
struct CEncodingCase
{
    const char* m_pName;
    QByteArray m_aFile;
    const char* m_pEncoding; // what the document says it was read in
    bool m_bMessage;         // the status bar says so
    std::optional<CSaveEncoding> m_Picked;
    QString m_sOutput;       // written; empty: the input as it was read
    QByteArray m_aSaved;
};

void PrintTo(const CEncodingCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class SaveEncoding : public Document, public testing::WithParamInterface<CEncodingCase>
{
};

TEST_P(SaveEncoding, WritesBackWhatWasRead)
{
    const CEncodingCase& c = GetParam();
    const QString path = File("legacy.sql");
    ASSERT_TRUE(WriteFileBytes(path, c.m_aFile));
    QSignalSpy messages(&m_Doc, &CQuillmarkDoc::statusMessage);
    ASSERT_TRUE(m_Doc.OnOpenDocument(path));
    EXPECT_EQ(m_Doc.GetSaveEncoding().Name(), c.m_pEncoding);
    ASSERT_EQ(messages.count(), c.m_bMessage ? 1 : 0);
    if (c.m_bMessage)
    {
        EXPECT_EQ(messages[0][0].toString(), QString("Opened as ") + c.m_pEncoding);
    }
    EXPECT_FALSE(Input()->text().contains(QChar(0xFFFD)));
    if (c.m_Picked)
        m_Doc.SetSaveEncoding(*c.m_Picked);
    Output()->setText(c.m_sOutput.isEmpty() ? Input()->text() : c.m_sOutput);
    ASSERT_TRUE(m_Doc.OnFileSave());
    EXPECT_EQ(ReadFileBytes(path), c.m_aSaved);
}

const CEncodingCase kEncodingCases[] = {
    {"Latin1KeepsEveryByte", "select 'caf\xE9' from dual\n", "Windows-1252", true, std::nullopt, "",
     "select 'caf\xE9' from dual\n"},
    {"MixedBytesKeepEveryByte", "select '\xC3\xA9', '\xE9', '\x81' from t\n", "Windows-1252", true, std::nullopt,
     "", "select '\xC3\xA9', '\xE9', '\x81' from t\n"},
    {"Latin1SavedAsUtf8WhenPicked", "select 'caf\xE9' from dual", "Windows-1252", true,
     CSaveEncoding{ENC_ANSI, kCodePageUtf8}, "", "select 'caf\xC3\xA9' from dual\n"},
    {"Latin1SavedWithMarkWhenPicked", "'\xE9'", "Windows-1252", true, CSaveEncoding{ENC_UTF8, kCodePageUtf8}, "",
     "\xEF\xBB\xBF'\xC3\xA9'\n"},
    {"Utf8IsUnchanged", "select 'caf\xC3\xA9' from dual\n", "UTF-8", false, std::nullopt, "",
     "select 'caf\xC3\xA9' from dual\n"},
    {"Utf16StaysUtf16", QByteArray("\xFF\xFEs\0e\0l\0e\0c\0t\0 \0\xAC\x20", 18), "UTF-16 LE", false,
     std::nullopt, QString::fromUtf8("SELECT €"), QByteArray("\xFF\xFES\0E\0L\0E\0C\0T\0 \0\xAC\x20\n\0", 20)},
    {"Utf16SavedAs1252WhenPicked", QByteArray("\xFF\xFEs\0", 4), "UTF-16 LE", false,
     CSaveEncoding{ENC_ANSI, kCodePageWindows1252}, QString::fromUtf8("'€'"), "'\x80'\n"},
};

INSTANTIATE_TEST_SUITE_P(App, SaveEncoding, testing::ValuesIn(kEncodingCases),
                         [](const testing::TestParamInfo<CEncodingCase>& info) { return std::string(info.param.m_pName); });

TEST_F(Document, CharactersTheEncodingCannotHoldAreNeverReplacedSilently)
{
    const QString path = File("legacy.sql");
    ASSERT_TRUE(WriteFileBytes(path, "select '\xE9' from dual"));
    ASSERT_TRUE(m_Doc.OnOpenDocument(path));
    Output()->setText(QString::fromUtf8("SELECT 'Ω'"));
    CMessageBoxRecorder boxes;
    boxes.m_nAnswer = QMessageBox::Cancel;
    EXPECT_FALSE(m_Doc.OnFileSave());
    ASSERT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_TRUE(boxes.m_aTexts[0].contains("Windows-1252 cannot represent")) << boxes.m_aTexts[0].toStdString();
    EXPECT_EQ(ReadFileBytes(path), "select '\xE9' from dual") << "nothing written";
    boxes.m_nAnswer = QMessageBox::Yes; // save in UTF-8 instead
    EXPECT_TRUE(m_Doc.OnFileSave());
    EXPECT_EQ(ReadFileBytes(path), "SELECT '\xCE\xA9'\n");
    EXPECT_EQ(m_Doc.GetSaveEncoding().Name(), "UTF-8");
}

TEST_F(Document, BytesReplacedAllTheSameAreReported)
{
    const QString path = File("marked.sql");
    ASSERT_TRUE(WriteFileBytes(path, "\xEF\xBB\xBFselect '\xE9' from dual"));
    CMessageBoxRecorder boxes;
    ASSERT_TRUE(m_Doc.OnOpenDocument(path));
    ASSERT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_TRUE(boxes.m_aTexts[0].contains("could not be read as UTF-8 with BOM")) << boxes.m_aTexts[0].toStdString();
}

TEST_F(Document, ANewDocumentIsSavedInTheLocaleSet)
{
    Output()->setText(QString::fromUtf8("SELECT 'é'"));
    CFileDialogAnswer dialog(File("new.sql"));
    ASSERT_TRUE(m_Doc.OnFileSave());
    EXPECT_EQ(ReadFileBytes(File("new.sql")), "SELECT '\xC3\xA9'\n");
    EXPECT_EQ(m_Doc.GetSaveEncoding().Name(), "UTF-8");
}

TEST_F(Document, SaveWritesTheCurrentFileAndSaveAsAsks)
{
    Output()->setText("SELECT 1\n  FROM dual");
    CFileDialogAnswer dialog(File("a.sql"));
    ASSERT_TRUE(m_Doc.OnFileSave()) << "without a name, Save asks for one";
    Output()->setText("SELECT 2\n  FROM dual\n");
    ASSERT_TRUE(m_Doc.OnFileSave());
    EXPECT_EQ(dialog.m_nSaveShown, 1) << "with a name, Save asks nothing";
    EXPECT_EQ(ReadFileBytes(File("a.sql")), "SELECT 2\n  FROM dual\n") << "one line break at the end";
    EXPECT_FALSE(m_Doc.IsModified());

    dialog.m_sPath = File("b.sql");
    ASSERT_TRUE(m_Doc.OnFileSaveAs());
    EXPECT_EQ(dialog.m_nSaveShown, 2);
    EXPECT_EQ(m_Doc.GetTitle(), "b.sql");

    // Cancelled: nothing is written and the name stays.
    dialog.m_sPath.clear();
    EXPECT_FALSE(m_Doc.OnFileSaveAs());
    EXPECT_EQ(m_Doc.GetTitle(), "b.sql");
}

TEST_F(Document, SaveAfterOpenWritesTheOpenedFile)
{
    const QString path = File("q.sql");
    ASSERT_TRUE(WriteFileBytes(path, "select a from t"));
    ASSERT_TRUE(m_Doc.OnOpenDocument(path));
    CFileDialogAnswer dialog{QString()};
    ASSERT_TRUE(m_Doc.OnFileSave());
    EXPECT_EQ(dialog.m_nSaveShown, 0);
    EXPECT_EQ(ReadFileBytes(path), (Output()->text() + "\n").toUtf8());
}

TEST_F(Document, SaveFailureIsReported)
{
    Output()->setText("SELECT 1 FROM dual");
    const QString folder = File("taken.sql");
    ASSERT_TRUE(QDir().mkdir(folder));
    CMessageBoxRecorder boxes;
    CFileDialogAnswer dialog(folder);
    EXPECT_FALSE(m_Doc.OnFileSave());
    ASSERT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_TRUE(boxes.m_aTexts[0].contains(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(m_Doc.GetTitle(), "Untitled");
}

// Lowers the file-size limit for one test; writing past it fails with EFBIG.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_Saved);
        m_pOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_Saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_Saved);
        std::signal(SIGXFSZ, m_pOldHandler);
    }

private:
    rlimit m_Saved{};
    void (*m_pOldHandler)(int) = nullptr;
};

TEST_F(Document, AFailedSaveLeavesTheOldFileWhole)
{
    const QString path = File("kept.sql");
    ASSERT_TRUE(WriteFileBytes(path, "old contents"));
    Output()->setText(QString(100000, QLatin1Char('x')));
    CMessageBoxRecorder boxes;
    CFileDialogAnswer dialog(path);
    {
        CFileSizeLimit limit(4096);
        EXPECT_FALSE(m_Doc.OnFileSave());
    }
    EXPECT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_EQ(ReadFileBytes(path), "old contents");
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(m_Dir.path()).entryList(QDir::Files), QStringList{"kept.sql"});
}

struct CSaveModifiedCase
{
    const char* m_pName;
    const char* m_pTyped; // typed into the input tab after a Format, or null
    const char* m_pEdited; // then typed over it without formatting again, or null
    bool m_bModified;
    QMessageBox::StandardButton m_nAnswer;
    bool m_bChooseFile; // the Save As dialog gives a name (else it is cancelled)
    bool m_bResult;
    const char* m_pPrompt; // how the prompt begins; null: no prompt
    const char* m_pSaved;  // what the file then holds; null: no file
};

void PrintTo(const CSaveModifiedCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

class SaveModified : public Document, public testing::WithParamInterface<CSaveModifiedCase>
{
};

TEST_P(SaveModified, OffersWhatWouldBeLost)
{
    const CSaveModifiedCase& c = GetParam();
    Output()->setText("SELECT 1 FROM dual");
    if (c.m_pTyped)
    {
        Input()->setText(c.m_pTyped);
        m_View.FormatInput();
    }
    if (c.m_pEdited)
        Input()->setText(c.m_pEdited);
    m_Doc.SetModifiedFlag(c.m_bModified);
    CMessageBoxRecorder boxes;
    boxes.m_nAnswer = c.m_nAnswer;
    CFileDialogAnswer dialog(c.m_bChooseFile ? File("s.sql") : QString());
    EXPECT_EQ(m_Doc.SaveModified(), c.m_bResult);
    ASSERT_EQ(boxes.m_aTexts.size(), c.m_pPrompt ? 1u : 0u);
    if (c.m_pPrompt)
    {
        EXPECT_TRUE(boxes.m_aTexts[0].startsWith(c.m_pPrompt)) << boxes.m_aTexts[0].toStdString();
    }
    if (c.m_pSaved)
    {
        EXPECT_EQ(ReadFileBytes(File("s.sql")), c.m_pSaved);
    }
    else
    {
        EXPECT_FALSE(QFileInfo::exists(File("s.sql")));
    }
}

constexpr const char* kChanges = "Save changes to Untitled?";
constexpr const char* kUnformatted = "SQL Input holds text that SQL Output does not show";

const CSaveModifiedCase kSaveModifiedCases[] = {
    {"Unmodified", nullptr, nullptr, false, QMessageBox::Cancel, true, true, nullptr, nullptr},
    {"Cancel", nullptr, nullptr, true, QMessageBox::Cancel, true, false, kChanges, nullptr},
    {"No", nullptr, nullptr, true, QMessageBox::No, true, true, kChanges, nullptr},
    {"Yes", nullptr, nullptr, true, QMessageBox::Yes, true, true, kChanges, "SELECT 1 FROM dual\n"},
    {"YesThenCancelTheDialog", nullptr, nullptr, true, QMessageBox::Yes, false, false, kChanges, nullptr},
    {"FormattedInputIsShown", "select 1 from dual", nullptr, true, QMessageBox::Yes, true, true, kChanges,
     "SELECT 1\n  FROM dual\n"},
    {"EditedInputSaveInput", "select 1 from dual", "select 2 from dual", false, QMessageBox::Save, true, true,
     kUnformatted, "select 2 from dual\n"},
    {"EditedInputFormatAndSave", "select 1 from dual", "select 2 from dual", true, QMessageBox::Apply, true, true,
     kUnformatted, "SELECT 2\n  FROM dual\n"},
    {"EditedInputDiscard", "select 1 from dual", "select 2 from dual", true, QMessageBox::Discard, true, true,
     kUnformatted, nullptr},
    {"EditedInputCancel", "select 1 from dual", "select 2 from dual", true, QMessageBox::Cancel, true, false,
     kUnformatted, nullptr},
    {"EditedInputSaveThenCancelTheDialog", "select 1 from dual", "select 2 from dual", true, QMessageBox::Save,
     false, false, kUnformatted, nullptr},
};

INSTANTIATE_TEST_SUITE_P(App, SaveModified, testing::ValuesIn(kSaveModifiedCases),
                         [](const testing::TestParamInfo<CSaveModifiedCase>& info) {
                             return std::string(info.param.m_pName);
                         });

TEST_F(Document, AnEmptyOutputIsNeverOfferedForSaving)
{
    Output()->setText("");
    m_Doc.SetModifiedFlag(true);
    CMessageBoxRecorder boxes;
    EXPECT_TRUE(m_Doc.SaveModified());
    EXPECT_TRUE(boxes.m_aTexts.empty());
    // Typed text with an empty output is offered as input.
    Input()->setText("select 1 from dual");
    boxes.m_nAnswer = QMessageBox::Cancel;
    EXPECT_FALSE(m_Doc.SaveModified());
    ASSERT_EQ(boxes.m_aTexts.size(), 1u);
    EXPECT_TRUE(boxes.m_aTexts[0].startsWith(kUnformatted));
}

TEST(DocumentOptions, TheEngineLoadsAndSavesTheStoredOptions)
{
    TestStore().WriteString("Options\\CGeneral", "m_sStr", "Str");
    TestStore().WriteString("Options\\CGeneral", "m_nLeftMargin", "7");
    {
        CQuillmarkDoc doc(&TestStore());
        EXPECT_EQ(doc.Options().m_General.m_nLeftMargin, 7);
        doc.Options().m_General.m_nLeftMargin = 9;
    }
    EXPECT_EQ(TestStore().GetString("Options\\CGeneral", "m_nLeftMargin"), "9");
}
} // namespace
