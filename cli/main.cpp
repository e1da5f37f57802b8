// quillmark-format: the command-line formatter.
#include "FormatTool.h"
#include "Interruption.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv)
{
    // The locale's character set is what "ANSI" files are read in.
    std::setlocale(LC_CTYPE, "");
    std::ios::sync_with_stdio(false);
    qmcli::InstallInterruptionCleanup();
    std::vector<std::string> args(argv + 1, argv + argc);
    return qmcli::RunFormatTool(args, qmcli::ProcessEnvironment());
}
