// The message boxes and file dialogs of the app go through here, so that a test
// can answer them instead of a user (a modal box would otherwise block it).
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>

class QWidget;

class CPrompts
{
public:
    using MessageBoxHandler = std::function<QMessageBox::StandardButton(
        const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)>;
    // Returns the chosen path, or an empty string when the user cancels.
    using FileDialogHandler = std::function<QString(const QString& caption,
                                                    const QString& folder, const QString& filter)>;

    // Shows a modal message box titled with the application's name and
    // returns the button that closed it. labels give some of the buttons a
    // text of their own.
    static QMessageBox::StandardButton MessageBox(
        QWidget* pParent, const QString& text,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::Icon icon = QMessageBox::Information,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
        std::initializer_list<std::pair<QMessageBox::StandardButton, QString>> labels = {});
    static QString GetOpenFileName(QWidget* pParent, const QString& caption,
                                   const QString& folder, const QString& filter);
    static QString GetSaveFileName(QWidget* pParent, const QString& caption,
                                   const QString& folder, const QString& filter);

    // A null handler restores the real dialogs.
    static void SetMessageBoxHandler(MessageBoxHandler handler);
    static void SetOpenFileHandler(FileDialogHandler handler);
    static void SetSaveFileHandler(FileDialogHandler handler);
};
