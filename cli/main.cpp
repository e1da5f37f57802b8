// quillmark-format: the command-line formatter.
#include "FormatTool.h"
#include "Interruption.h"

#include <clocale>
#include <cstdlib>
#include <iostream>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#ifdef QUILLMARK_FAULT_INJECTION
namespace
{
// The test build only (quillmark-format-fault-injection): with
// QUILLMARK_TEST_CORRUPT_RESULT set, the first word of every result loses its
// first character, the way a faulty layout would lose it.
void InjectFaults(qmcli::CToolEnvironment& env)
{
    const char* corrupt = std::getenv("QUILLMARK_TEST_CORRUPT_RESULT");
    if (!corrupt || !*corrupt || std::string(corrupt) == "0")
        return;
    env.m_DamageResult = [](std::u16string& text) {
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] != u' ' && text[i] != u'\n' && text[i] != u'\r' && text[i] != u'\t')
            {
                text.erase(i, 1);
                return;
            }
        text += u"x";
    };
}
} // namespace
#endif

int main(int argc, char** argv)
{
#ifdef __GLIBC__
    // A run allocates a few large buffers, gives them back, and allocates
    // their like again for the next stage or file. Kept in the heap rather
    // than handed back to the kernel, they are reused as they are, instead of
    // every page being faulted in afresh.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
    // The locale's character set is what "ANSI" files are read in.
    std::setlocale(LC_CTYPE, "");
    std::ios::sync_with_stdio(false);
    qmcli::InstallInterruptionCleanup();
    std::vector<std::string> args(argv + 1, argv + argc);
    qmcli::CToolEnvironment env = qmcli::ProcessEnvironment();
#ifdef QUILLMARK_FAULT_INJECTION
    InjectFaults(env);
#endif
    return qmcli::RunFormatTool(args, env);
}
