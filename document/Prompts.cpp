#include "Prompts.h"

#include "AppStrings.h"

#include <QAbstractButton>
#include <QFileDialog>

namespace
{
CPrompts::MessageBoxHandler& MessageBoxOverride()
{
    static CPrompts::MessageBoxHandler handler;
    return handler;
}

CPrompts::FileDialogHandler& OpenFileOverride()
{
    static CPrompts::FileDialogHandler handler;
    return handler;
}

CPrompts::FileDialogHandler& SaveFileOverride()
{
    static CPrompts::FileDialogHandler handler;
    return handler;
}
} // namespace

QMessageBox::StandardButton CPrompts::MessageBox(
    QWidget* pParent, const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
    QMessageBox::StandardButton defaultButton,
    std::initializer_list<std::pair<QMessageBox::StandardButton, QString>> labels)
{
    if (MessageBoxOverride())
        return MessageBoxOverride()(text, buttons, icon);
    QMessageBox box(icon, AppStrings::kAppTitle, text, buttons, pParent);
    for (const auto& [button, label] : labels)
        if (QAbstractButton* pButton = box.button(button))
            pButton->setText(label);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString CPrompts::GetOpenFileName(QWidget* pParent, const QString& caption,
                                  const QString& folder, const QString& filter)
{
    if (OpenFileOverride())
        return OpenFileOverride()(caption, folder, filter);
    return QFileDialog::getOpenFileName(pParent, caption, folder, filter);
}

QString CPrompts::GetSaveFileName(QWidget* pParent, const QString& caption,
                                  const QString& folder, const QString& filter)
{
    if (SaveFileOverride())
        return SaveFileOverride()(caption, folder, filter);
    QFileDialog dialog(pParent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension gets ".sql" while that filter is chosen.
    dialog.setDefaultSuffix(AppStrings::kDefaultExtension.mid(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void CPrompts::SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxOverride() = std::move(handler);
}

void CPrompts::SetOpenFileHandler(FileDialogHandler handler)
{
    OpenFileOverride() = std::move(handler);
}

void CPrompts::SetSaveFileHandler(FileDialogHandler handler)
{
    SaveFileOverride() = std::move(handler);
}
