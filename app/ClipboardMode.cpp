#include "ClipboardMode.h"

#include "AppStrings.h"
#include "Clipboard.h"
#include "Prompts.h"
#include "SQLParser.h"

void FormatClipboard(CProfileStore* pStore)
{
    const QString text = ReadClipboardText();
    if (text.isEmpty())
        return;
    // A short-lived engine of its own: it loads the saved options now and
    // saves them when it goes out of scope.
    CSQLParser parser(pStore);
    parser.m_sInput = text.toStdU16String();
    parser.Process(CSQLParser::MODE_FORMAT);
    WriteClipboardText(QString::fromStdU16String(parser.m_sOutput));
}

QString ReadClipboardText()
{
    const std::optional<QString> text = CClipboard::ReadText();
    if (!text)
    {
        CPrompts::MessageBox(nullptr, AppStrings::kNoClipboardText, QMessageBox::Ok, QMessageBox::Warning);
        return QString();
    }
    return *text;
}

void WriteClipboardText(const QString& text)
{
    CClipboard::WriteText(text, true);
}
