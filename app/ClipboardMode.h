// "quillmark clipboard": formats the clipboard's text with the saved options,
// puts the result back and ends, without a window.
#pragma once

#include <QString>

class CProfileStore;

// The options come from the store and are saved back to it when the run ends.
void FormatClipboard(CProfileStore* pStore);
// The clipboard's text; shows "There is no text (ANSI) data on the Clipboard."
// and gives an empty string when it holds none.
QString ReadClipboardText();
// Replaces the clipboard's contents with text; on X11 the text stays after the
// program has ended.
void WriteClipboardText(const QString& text);
