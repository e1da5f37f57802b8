// Every flag the parser knows is in the help text, the man page and the three
// shell completions, and the bash completion offers what it should.
#include "CommandLine.h"
#include "HelpText.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace qmcli;

namespace
{

const fs::path kCli = fs::path(QUILLMARK_SOURCE_DIR) / "cli";

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The flag on its own, not as the start of a longer one ("-i" in "--in-place").
bool HasWholeFlag(const std::string& text, const std::string& flag)
{
    for (size_t at = text.find(flag); at != std::string::npos; at = text.find(flag, at + 1))
    {
        const char before = at == 0 ? ' ' : text[at - 1];
        const char after = at + flag.size() < text.size() ? text[at + flag.size()] : ' ';
        if (before != '-' && !std::isalnum(static_cast<unsigned char>(after)) && after != '-')
            return true;
    }
    return false;
}

// How each document spells a flag.
std::string InManPage(const std::string& flag)
{
    std::string out;
    for (char c : flag)
        out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}
std::string InFish(const std::string& flag)
{
    return flag.rfind("--", 0) == 0 ? "-l " + flag.substr(2) : "-s " + flag.substr(1);
}

TEST(FlagDocumentationTest, EveryFlagIsDocumentedAndCompleted)
{
    const std::string help = HelpText();
    const std::string man = ReadText(kCli / "quillmark-format.1");
    const std::string bash = ReadText(kCli / "completions" / "quillmark-format.bash");
    const std::string zsh = ReadText(kCli / "completions" / "_quillmark-format");
    const std::string fish = ReadText(kCli / "completions" / "quillmark-format.fish");
    ASSERT_FALSE(man.empty() || bash.empty() || zsh.empty() || fish.empty());
    for (const std::string& flag : CommandLineFlagNames())
    {
        EXPECT_TRUE(HasWholeFlag(help, flag)) << flag << " in --help";
        EXPECT_NE(man.find(InManPage(flag)), std::string::npos) << flag << " in the man page";
        EXPECT_NE(bash.find(flag), std::string::npos) << flag << " in the bash completion";
        EXPECT_NE(zsh.find(flag), std::string::npos) << flag << " in the zsh completion";
        EXPECT_NE(fish.find(InFish(flag)), std::string::npos) << flag << " in the fish completion";
    }
}

TEST(FlagDocumentationTest, BashCompletionOffersFlagsAndValues)
{
    if (std::system("command -v bash > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "bash is not installed";
    struct
    {
        const char* name;
        const char* words; // the command line so far, the last word being completed
        const char* offered;
    } rows[] = {
        {"LongFlag", "quillmark-format --enc", "--encoding"},
        {"SeveralFlags", "quillmark-format --ch", "--check"},
        {"ColourValue", "quillmark-format --color=al", "always"},
        {"EncodingValue", "quillmark-format --encoding lat", "latin1"},
        {"FileNamesLeftToBash", "quillmark-format sr", ""},
    };
    const std::string script = (kCli / "completions" / "quillmark-format.bash").string();
    for (const auto& row : rows)
    {
        const std::string command = "bash -c 'source \"" + script + "\"; COMP_WORDS=(" + row.words +
                                    "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _quillmark_format; "
                                    "echo \"${COMPREPLY[*]}\"' 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        ::pclose(pipe);
        EXPECT_EQ(out, std::string(row.offered) + "\n") << row.name;
    }
}

} // namespace
