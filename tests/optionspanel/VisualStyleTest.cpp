// Every visual style through the real window: its palette, both editors
// (paper, text in every colour of the scheme, caret, selection, line
// numbers) and every icon of the bars and the panel must read well; the
// editors also follow a palette the desktop gives.
#include "PanelTest.h"

#include "AboutDlg.h"
#include "Contrast.h"
#include "Label.h"
#include "MainFrame.h"
#include "VisualStyles.h"

#include <QApplication>
#include <QLabel>
#include <QToolBox>

#include <Qsci/qscilexer.h>

namespace {

using ::PrintTo;

QColor FromScintilla(long bgr)
{
    return QColor(static_cast<int>(bgr & 0xff), static_cast<int>((bgr >> 8) & 0xff), static_cast<int>((bgr >> 16) & 0xff));
}

class VisualStyleTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_pDoc = std::make_unique<CQuillmarkDoc>(&TestStore());
        m_pFrame = std::make_unique<CMainFrame>(m_pDoc.get());
        ASSERT_TRUE(m_pFrame->IsCreated());
        m_pFrame->show();
    }
    void TearDown() override
    {
        m_pFrame->Action(kDesktopVisualStyle)->trigger();
        m_pFrame->close();
        m_pFrame.reset();
        m_pDoc.reset();
    }

    CSQLView& Editor(const QString& label) { return *m_pFrame->GetView()->FindTabView(label); }

    // What the editor shows, read back from the editor control itself.
    void ExpectReadable(CSQLView& editor, const std::string& where)
    {
        const QPalette look = editor.palette();
        const QColor paper = FromScintilla(editor.SendScintilla(QsciScintilla::SCI_STYLEGETBACK, QsciScintillaBase::STYLE_DEFAULT));
        EXPECT_EQ(paper, look.color(QPalette::Base)) << where << ": the paper is the style's";
        const QColor caretLine = FromScintilla(editor.SendScintilla(QsciScintilla::SCI_GETCARETLINEBACK));
        for (int style = 0; style < QsciScintillaBase::STYLE_DEFAULT; ++style)
        {
            if (editor.lexer()->description(style).isEmpty())
                continue;
            const QColor text = FromScintilla(editor.SendScintilla(QsciScintilla::SCI_STYLEGETFORE, style));
            const QColor back = FromScintilla(editor.SendScintilla(QsciScintilla::SCI_STYLEGETBACK, style));
            EXPECT_GE(ContrastRatio(text, back), kTextContrast) << where << ": " << editor.lexer()->description(style).toStdString();
            EXPECT_GE(ContrastRatio(text, caretLine), kTextContrast) << where << " on the caret's line: " << style;
        }
        const QColor caret = FromScintilla(editor.SendScintilla(QsciScintilla::SCI_GETCARETFORE));
        EXPECT_GE(ContrastRatio(caret, paper), kMarkContrast) << where << ": caret";
        const long numbers = QsciScintillaBase::STYLE_LINENUMBER;
        EXPECT_GE(ContrastRatio(FromScintilla(editor.SendScintilla(QsciScintilla::SCI_STYLEGETFORE, numbers)),
                                FromScintilla(editor.SendScintilla(QsciScintilla::SCI_STYLEGETBACK, numbers))),
                  kTextContrast)
            << where << ": line numbers";
        ExpectReadableSelection(editor, where);
    }

    // The selection, sampled from the drawn editor: its background is the
    // style's selection colour and its text stands out on it.
    void ExpectReadableSelection(CSQLView& editor, const std::string& where)
    {
        m_pFrame->GetView()->setCurrentWidget(&editor);
        editor.setText(QStringLiteral("SELECT MMMMMMMM FROM dual"));
        editor.selectAll();
        QWidget* viewport = editor.viewport();
        const QImage drawn = viewport->grab().toImage();
        const int left = static_cast<int>(editor.SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0UL, 0L));
        const int right = static_cast<int>(editor.SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0UL, 20L));
        const int top = static_cast<int>(editor.SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION, 0UL, 0L));
        const int lineHeight = static_cast<int>(editor.SendScintilla(QsciScintilla::SCI_TEXTHEIGHT, 0UL));
        const QColor highlight = editor.palette().color(QPalette::Highlight);
        ASSERT_LE(right, drawn.width());
        ASSERT_LE(top + lineHeight, drawn.height());
        double best = 1.0;
        int selected = 0;
        for (int y = top; y < top + lineHeight; ++y)
            for (int x = left; x < right; ++x)
            {
                const QColor pixel = drawn.pixelColor(x, y);
                selected += pixel == highlight;
                best = std::max(best, ContrastRatio(pixel, highlight));
            }
        EXPECT_GT(selected, (right - left) * lineHeight / 3) << where << ": the selection has the style's colour";
        EXPECT_GE(best, kTextContrast) << where << ": selected text";
    }

    void ExpectReadableIcons(const std::string& where)
    {
        const QColor bar = QApplication::palette().color(QPalette::Window);
        for (QAction* action : m_pFrame->actions())
        {
            if (action->icon().isNull())
                continue;
            EXPECT_GE(ImageReadability(action->icon().pixmap(16).toImage(), bar, kMarkContrast), 1.0)
                << where << ": " << action->text().toStdString();
        }
        QToolBox* box = m_pFrame->OutlookBar().GetUnderlyingWindow();
        for (int i = 0; i < box->count(); ++i)
            EXPECT_GE(ImageReadability(box->itemIcon(i).pixmap(16).toImage(), bar, kMarkContrast), 1.0)
                << where << ": " << box->itemText(i).toStdString();
    }

    std::unique_ptr<CQuillmarkDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
};

class EveryVisualStyle : public VisualStyleTest, public testing::WithParamInterface<int> {};

TEST_P(EveryVisualStyle, ColoursEditorsAndIconsReadably)
{
    const CVisualStyle& style = FindVisualStyle(GetParam());
    m_pFrame->Action(style.m_nId)->trigger();
    QApplication::processEvents(); // the widgets take the new palette
    const std::string name = QString::fromUtf8(style.m_sName).remove(u'&').toStdString();
    if (style.m_nId != kDesktopVisualStyle) // the desktop's colours are the desktop's
    {
        const QPalette look = QApplication::palette();
        const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
            {QPalette::WindowText, QPalette::Window}, {QPalette::ButtonText, QPalette::Button},
            {QPalette::Text, QPalette::Base}, {QPalette::HighlightedText, QPalette::Highlight},
            {QPalette::ToolTipText, QPalette::ToolTipBase}};
        for (const auto& [text, back] : pairs)
            EXPECT_GE(ContrastRatio(look.color(text), look.color(back)), kTextContrast) << name << " " << text;
        EXPECT_GE(ContrastRatio(look.color(QPalette::Disabled, QPalette::WindowText), look.color(QPalette::Window)),
                  kMarkContrast)
            << name << ": greyed text";
        EXPECT_EQ(IsDark(look.color(QPalette::Base)), style.m_bDark) << name;
        EXPECT_EQ(Editor(AppStrings::kInputTab).palette().color(QPalette::Base), look.color(QPalette::Base)) << name;
    }
    for (const QString& tab : {AppStrings::kInputTab, AppStrings::kOutputTab})
        ExpectReadable(Editor(tab), name + " " + tab.toStdString());
    ExpectReadableIcons(name);

    CAboutDlg about(m_pFrame.get()); // white in every style
    for (QLabel* label : about.findChildren<QLabel*>())
        EXPECT_GE(ContrastRatio(label->palette().color(QPalette::WindowText), about.palette().color(QPalette::Window)),
                  kTextContrast)
            << name << ": About box, " << label->text().toStdString();
    EXPECT_GE(ContrastRatio(about.VersionLabel()->EffectiveTextColour(), about.palette().color(QPalette::Window)),
              kTextContrast)
        << name << ": About box's version";
}

std::vector<int> StyleIds()
{
    std::vector<int> ids;
    for (const CVisualStyle& style : VisualStyles())
        ids.push_back(style.m_nId);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(Styles, EveryVisualStyle, testing::ValuesIn(StyleIds()),
                         [](const testing::TestParamInfo<int>& info) {
                             return QString::fromUtf8(FindVisualStyle(info.param).m_sName)
                                 .remove(QRegularExpression("[^A-Za-z]"))
                                 .toStdString();
                         });

// Palettes a desktop's theme may give: the editors follow each, readably.
struct CDesktopCase
{
    const char* m_sName;
    QRgb m_crWindow, m_crBase, m_crText, m_crHighlight;
};

class DesktopPalettes : public VisualStyleTest, public testing::WithParamInterface<CDesktopCase> {};

TEST_P(DesktopPalettes, EditorsFollowTheDesktopReadably)
{
    const CDesktopCase& row = GetParam();
    QPalette desktop = QApplication::palette();
    desktop.setColor(QPalette::Window, QColor(row.m_crWindow));
    desktop.setColor(QPalette::Base, QColor(row.m_crBase));
    desktop.setColor(QPalette::Text, QColor(row.m_crText));
    desktop.setColor(QPalette::WindowText, QColor(row.m_crText));
    desktop.setColor(QPalette::Highlight, QColor(row.m_crHighlight));
    QApplication::setPalette(desktop); // as a change of the desktop's theme arrives
    QApplication::processEvents();
    for (const QString& tab : {AppStrings::kInputTab, AppStrings::kOutputTab})
        ExpectReadable(Editor(tab), std::string(row.m_sName) + " " + tab.toStdString());
    EXPECT_EQ(IsDark(FromScintilla(Editor(AppStrings::kOutputTab).SendScintilla(
                  QsciScintilla::SCI_STYLEGETBACK, QsciScintillaBase::STYLE_DEFAULT))),
              IsDark(QColor(row.m_crBase)));
}

INSTANTIATE_TEST_SUITE_P(Desktop, DesktopPalettes,
                         testing::Values(CDesktopCase{"Dark", 0x31363b, 0x232629, 0xeff0f1, 0x3daee9},
                                         CDesktopCase{"MidGrey", 0x909090, 0x808080, 0x101010, 0x404040},
                                         CDesktopCase{"PaleSelection", 0xf6f5f4, 0xffffff, 0x2e3436, 0xd0e4ff},
                                         CDesktopCase{"Solarized", 0xeee8d5, 0xfdf6e3, 0x657b83, 0x268bd2}),
                         [](const auto& info) { return std::string(info.param.m_sName); });

} // namespace
