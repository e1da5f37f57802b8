// Clipboard mode inside the test program (the offscreen platform keeps a
// clipboard of its own): what is formatted, with which options, and the
// message when the clipboard holds no text.
#include "AppTest.h"

#include "ClipboardMode.h"
#include "SQLParser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>

#include <gtest/gtest.h>

namespace
{
enum class Content
{
    Text,
    Picture,
};

struct CClipboardCase
{
    const char* m_pName;
    Content m_nContent;
    QString m_sText;
    bool m_bMessage;
    bool m_bFormatted; // the clipboard holds the formatted text afterwards
};

void PrintTo(const CClipboardCase& c, std::ostream* os)
{
    *os << c.m_pName;
}

QString Formatted(const QString& text)
{
    CSQLParser parser;
    parser.m_sInput = text.toStdU16String();
    parser.Process(CSQLParser::MODE_FORMAT);
    return QString::fromStdU16String(parser.m_sOutput);
}

void PutOnClipboard(const CClipboardCase& c)
{
    auto* pData = new QMimeData;
    if (c.m_nContent == Content::Text)
        pData->setText(c.m_sText);
    else
        pData->setData("image/png", QByteArray("\x89PNG\r\n", 6));
    QGuiApplication::clipboard()->setMimeData(pData);
}

class ClipboardMode : public testing::TestWithParam<CClipboardCase>
{
};

TEST_P(ClipboardMode, FormatsTextAndLeavesAnythingElse)
{
    const CClipboardCase& c = GetParam();
    PutOnClipboard(c);
    CMessageBoxRecorder boxes;
    FormatClipboard(&TestStore());

    ASSERT_EQ(boxes.m_aTexts.size(), c.m_bMessage ? 1u : 0u);
    if (c.m_bMessage)
    {
        EXPECT_EQ(boxes.m_aTexts[0], "There is no text (ANSI) data on the Clipboard.");
    }
    const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
    if (c.m_nContent == Content::Picture)
    {
        EXPECT_TRUE(pData->hasFormat("image/png"));
        EXPECT_FALSE(pData->hasText());
    }
    else
    {
        EXPECT_EQ(pData->text(), c.m_bFormatted ? Formatted(c.m_sText) : c.m_sText);
    }
}

const CClipboardCase kClipboardCases[] = {
    {"OneLineSelect", Content::Text, "select a, b from t where x = 1", false, true},
    {"NonAsciiTextTravelsWhole", Content::Text, QString::fromUtf8("select 'Grüße € 𝄞' from dual"), false, true},
    {"EmptyTextChangesNothing", Content::Text, "", false, false},
    {"PictureOnly", Content::Picture, "", true, false},
};

INSTANTIATE_TEST_SUITE_P(App, ClipboardMode, testing::ValuesIn(kClipboardCases),
                         [](const testing::TestParamInfo<CClipboardCase>& info) {
                             return std::string(info.param.m_pName);
                         });

TEST(ClipboardModeOptions, UsesTheSavedOptionsAndSavesThem)
{
    TestStore().WriteString("Options\\CGeneral", "m_sStr", "Str");
    TestStore().WriteString("Options\\CGeneral", "m_nLeftMargin", "4");
    QGuiApplication::clipboard()->setText("select a, b from t");
    FormatClipboard(&TestStore());
    const QString result = QGuiApplication::clipboard()->text();
    ASSERT_FALSE(result.isEmpty());
    for (const QString& line : result.split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(line.startsWith("    ")) << line.toStdString();
    // Every group was written back when the run's engine ended.
    EXPECT_TRUE(TestStore().GetString("Options\\CSelect", "m_sStr").has_value()
                || TestStore().m_aSections.count("Options\\CSelect") == 1);
    EXPECT_EQ(TestStore().GetString("Options\\CGeneral", "m_nLeftMargin"), "4");
}

TEST(ClipboardModeMessage, TheRealMessageBoxIsClosedFromTheTest)
{
    auto* pData = new QMimeData;
    pData->setData("image/png", QByteArray("\x89PNG", 4));
    QGuiApplication::clipboard()->setMimeData(pData);

    CMessageBoxRecorder restoreAfterwards;
    CPrompts::SetMessageBoxHandler({});
    QString shown;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        {
            shown = pBox->text();
            pBox->button(QMessageBox::Ok)->click();
        }
    });
    closer.start();
    EXPECT_TRUE(ReadClipboardText().isEmpty());
    EXPECT_EQ(shown, "There is no text (ANSI) data on the Clipboard.");
}
} // namespace
