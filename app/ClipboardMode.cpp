#include "ClipboardMode.h"

#include "AppStrings.h"
#include "Clipboard.h"
#include "Prompts.h"
#include "Format.h"
#include "Options.h"

void FormatClipboard(CProfileStore* pStore)
{
    const QString text = ReadClipboardText();
    if (text.isEmpty())
        return;
    // The saved options, loaded now and saved back when they go out of scope.
    const COptions options(pStore);
    const CFormatResult result = Format(text.toStdU16String(), options, MODE_FORMAT);
    WriteClipboardText(QString::fromStdU16String(result.m_sText));
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
