// quillmark: the desktop app, or with the argument "clipboard" the formatter of
// the clipboard's text.
#include "Clipboard.h"
#include "QuillmarkApp.h"

int main(int argc, char** argv)
{
    if (CClipboard::IsKeeperRequested())
        return CClipboard::RunKeeper(argc, argv);
    CQuillmarkApp app(argc, argv);
    return app.Run();
}
