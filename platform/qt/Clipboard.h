// The system clipboard as text. On X11 a clipboard's contents live in the
// program that set them, so a program that ends right after setting it hands
// the text to the desktop's clipboard manager where one runs, and otherwise
// leaves a small keeper process that serves the text until another program
// takes the clipboard.
#pragma once

#include <QString>

#include <optional>

class CClipboard
{
public:
    // The clipboard's text, whole; nothing when the clipboard holds no text.
    static std::optional<QString> ReadText();

    // Replaces the clipboard's contents with text. With bOutliveProcess on X11,
    // the text stays available after this process has ended. False when the
    // clipboard could not be set.
    static bool WriteText(const QString& text, bool bOutliveProcess);

    // The keeper process is this same program started with an environment
    // variable set; main() calls these first.
    static bool IsKeeperRequested();
    static int RunKeeper(int argc, char** argv);
};
