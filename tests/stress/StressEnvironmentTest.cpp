// Faults of the environment: a settings store that is empty, truncated, binary
// or cannot be replaced; a full disk (a file-size limit, since the tests run as
// root and permission bits stop nothing) while saving the store, writing a text
// file or rewriting files in place; files that vanish while quillmark-format
// runs. Each must give a clear message and lose nothing.
#include "IniFile.h"
#include "IniProfileStore.h"
#include "Options.h"
#include "TextFileWrite.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWhole(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// A fresh folder under the build tree, removed with everything in it.
class CScratchFolder
{
public:
    CScratchFolder()
    {
        fs::path base = fs::path(QUILLMARK_BINARY_DIR) / "test-home" / "stress";
        fs::create_directories(base);
        std::string pattern = (base / "envXXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~CScratchFolder()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    const fs::path& Path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }

    // Names in the folder that are not in the given list (left-over temporaries).
    std::vector<std::string> Strays(const std::vector<std::string>& expected) const
    {
        std::vector<std::string> strays;
        for (const auto& entry : fs::directory_iterator(m_path)) {
            std::string name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end())
                strays.push_back(name);
        }
        return strays;
    }

private:
    fs::path m_path;
};

// Runs body in a child process whose files may not grow beyond limit bytes,
// with SIGXFSZ ignored so that a write past the limit fails with EFBIG instead
// of killing the process: what a full disk looks like to the program. Returns
// the body's result (a small number) or -1 when the child died.
int RunWithFileSizeLimit(rlim_t limit, const std::function<int()>& body)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ------------------------------------------------------------ settings store

struct StoreFileCase
{
    const char* name;
    std::string bytes;
    bool bMalformed; // the file has lines the store cannot read
};

const std::string kGoodStore =
    "AppNameVer=Quillmark 1.1\n"
    "[Workspace]\nApplicationLook=214\n"
    "[Options\\CGeneral]\nm_sStr=Str\nm_nTabSize=8\n"
    "[Settings]\nFont=DejaVu Sans Mono\n";

const StoreFileCase kStoreFileCases[] = {
    {"Empty", "", false},
    {"OnlyBlankLines", "\n\r\n  \n", false},
    {"TruncatedInHeader", kGoodStore + "[Options\\CSel", true},
    {"TruncatedInUtf8", kGoodStore + "[Extra]\nName=caf\xC3", true},
    {"TruncatedAfterName", kGoodStore + "[Extra]\nName", true},
    {"Binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\xFF\xFE\x00\x01\n\x89PNG\r\n\x1A\n", 24), true},
    {"GoodLinesAmongBinary", kGoodStore + std::string("\0\x01\x02\n\xFF\xFF\n", 7) + "[Tail]\nKept=yes\n", true},
    {"Utf16Store", std::string("\xFF\xFE[\0W\0]\0\n\0", 10), true},
};

class StressStoreFileTest : public testing::TestWithParam<StoreFileCase>
{
};

TEST_P(StressStoreFileTest, LoadsWhatItCanWarnsAndLosesNothing)
{
    const StoreFileCase& c = GetParam();
    CScratchFolder folder;
    const std::string path = (folder / "Quillmark.ini").string();
    WriteWhole(path, c.bytes);
    const CIniDocument original(ParseIni(c.bytes));

    std::vector<std::string> warnings;
    {
        CIniProfileStore store(path, [&](const std::string& w) { warnings.push_back(w); });
        {
            COptions options(&store);
            options.m_General.m_nLeftMargin = 5;
        }
        EXPECT_TRUE(store.Flush()) << store.LastError();
    }

    // A clear message exactly when lines could not be read, naming the file.
    if (c.bMalformed) {
        ASSERT_FALSE(warnings.empty());
        EXPECT_NE(warnings[0].find(path), std::string::npos) << warnings[0];
        EXPECT_EQ(ReadWhole(path + ".bad"), c.bytes) << "the unreadable file must be kept whole";
    } else {
        EXPECT_TRUE(warnings.empty()) << warnings[0];
        EXPECT_FALSE(fs::exists(path + ".bad"));
    }

    // Every value of a readable line is still there, next to the saved options.
    const CIniDocument saved(ParseIni(ReadWhole(path)));
    for (const CIniSection& section : original.Sections()) {
        if (section.m_sName.rfind("Options\\", 0) == 0)
            continue;
        for (const CIniEntry& entry : section.m_aEntries)
            if (entry.m_nKind == CIniEntry::VALUE) {
                const std::string* value = saved.Find(section.m_sName, entry.m_sName);
                EXPECT_TRUE(value && *value == entry.m_sValue) << section.m_sName << " " << entry.m_sName;
            }
    }
    const std::string* margin = saved.Find("Options\\CGeneral", "m_nLeftMargin");
    EXPECT_TRUE(margin && *margin == "5");
    EXPECT_TRUE(folder.Strays({"Quillmark.ini", "Quillmark.ini.bad", "Quillmark.ini.lock"}).empty());
}

INSTANTIATE_TEST_SUITE_P(Files, StressStoreFileTest, testing::ValuesIn(kStoreFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StressStoreTest, FolderInPlaceOfTheFileIsReportedAndLeftAlone)
{
    CScratchFolder folder;
    const fs::path path = folder / "Quillmark.ini";
    fs::create_directories(path / "inside");
    std::vector<std::string> warnings;
    CIniProfileStore store(path.string(), [&](const std::string& w) { warnings.push_back(w); });
    {
        COptions options(&store); // defaults: nothing could be read
        EXPECT_EQ(options.m_General.m_nTabSize, 4);
        options.m_General.m_nTabSize = 2;
    }
    EXPECT_FALSE(store.Flush());
    EXPECT_NE(store.LastError().find(path.string()), std::string::npos) << store.LastError();
    EXPECT_TRUE(store.HasPendingChanges()); // kept for a later attempt
    EXPECT_TRUE(fs::is_directory(path / "inside"));
    EXPECT_FALSE(warnings.empty());
}

TEST(StressStoreTest, FullDiskWhileSavingKeepsTheOldFile)
{
    CScratchFolder folder;
    const std::string path = (folder / "Quillmark.ini").string();
    {
        CIniProfileStore store(path);
        COptions options(&store); // writes every default: a file of some 1.5 kB
    }
    const std::string before = ReadWhole(path);
    ASSERT_GT(before.size(), 1000u);

    const int result = RunWithFileSizeLimit(256, [&] {
        CIniProfileStore store(path, [](const std::string&) {});
        {
            COptions options(&store);
            options.m_Select.m_nColumnListComma = 0;
            options.m_General.m_nLeftMargin = 12;
        }
        if (store.Flush())
            return 1; // reported success although the file could not be written
        return store.LastError().empty() ? 2 : 0;
    });
    EXPECT_EQ(result, 0) << "1: success reported, 2: no message, -1: crashed";
    EXPECT_EQ(ReadWhole(path), before);
    EXPECT_TRUE(folder.Strays({"Quillmark.ini", "Quillmark.ini.lock"}).empty());
}

// ------------------------------------------------------------ text files

TEST(StressTextFileTest, FullDiskWhileWritingKeepsTheOldFile)
{
    CScratchFolder folder;
    const fs::path path = folder / "query.sql";
    const std::string before = "select 1 from dual\n";
    WriteWhole(path, before);
    for (TextEncoding encoding : {ENC_ANSI, ENC_UTF8, ENC_UTF16_LE, ENC_UTF16_BE}) {
        const int result = RunWithFileSizeLimit(4096, [&] {
            CTextFileWrite file(path, encoding);
            const std::u16string text(100000, u'x');
            const bool written = file.Write(text);
            const bool closed = file.Close();
            if (written && closed)
                return 1;
            return file.GetError().empty() ? 2 : 0;
        });
        EXPECT_EQ(result, 0) << EncodingName(encoding) << ": 1 success reported, 2 no message, -1 crashed";
        EXPECT_EQ(ReadWhole(path), before) << EncodingName(encoding);
        EXPECT_TRUE(folder.Strays({"query.sql"}).empty()) << EncodingName(encoding);
    }
}

// ------------------------------------------------------------ quillmark-format

#ifdef QUILLMARK_FORMAT_EXE

struct CommandResult
{
    int nStatus = -1; // exit status, -1 when killed
    std::string sErr;
};

// Runs quillmark-format with the arguments, standard input empty, under an
// optional file-size limit; collects standard error through a pipe (a pipe is
// not a file, so the limit does not cut the messages short).
CommandResult RunFormatCommand(const std::vector<std::string>& args, rlim_t limit = RLIM_INFINITY)
{
    int errPipe[2];
    if (::pipe(errPipe) != 0)
        return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, 0);
        ::dup2(devNull, 1);
        ::dup2(errPipe[1], 2);
        ::close(errPipe[0]);
        std::vector<char*> argv;
        std::string exe = QUILLMARK_FORMAT_EXE;
        argv.push_back(exe.data());
        std::vector<std::string> copies = args;
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(errPipe[1]);
    CommandResult result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(errPipe[0], buffer, sizeof buffer)) > 0;)
        result.sErr.append(buffer, size_t(n));
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string UnformattedSql(size_t statements)
{
    std::string text;
    for (size_t i = 0; i < statements; ++i)
        text += "select a" + std::to_string(i) + ", b from t where c = 1;\n";
    return text;
}

TEST(StressFormatCommandTest, FullDiskWhileRewritingInPlaceKeepsEveryFile)
{
    CScratchFolder folder;
    const std::string big = UnformattedSql(2000); // its result is far beyond the limit
    const std::string small = "select 1 from dual\n";
    WriteWhole(folder / "big.sql", big);
    WriteWhole(folder / "small.sql", small);

    CommandResult run = RunFormatCommand({"--in-place", folder.Path().string()}, 8192);
    EXPECT_EQ(run.nStatus, 2) << run.sErr;
    EXPECT_NE(run.sErr.find("big.sql"), std::string::npos) << run.sErr;
    EXPECT_EQ(ReadWhole(folder / "big.sql"), big) << "a failed rewrite must leave the file whole";
    EXPECT_NE(ReadWhole(folder / "small.sql"), small) << "a file that fits is still formatted";
    EXPECT_TRUE(folder.Strays({"big.sql", "small.sql"}).empty());
}

TEST(StressFormatCommandTest, FilesVanishingDuringTheRunAreReportedOthersFormatted)
{
    // The files are deleted from the last one backwards while the command runs
    // from the first one forwards: some go before the listing, some between
    // listing and reading, some after. Whatever the timing, the command must
    // end, name only files that vanished, and format or leave whole the rest.
    CScratchFolder folder;
    const size_t count = 400;
    const std::string text = UnformattedSql(50);
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%04zu.sql", i);
        names.push_back(name);
        WriteWhole(folder / name, text);
    }
    std::atomic<bool> stop{false};
    std::thread deleter([&] {
        for (size_t i = count; i-- > count / 2 && !stop;) {
            fs::remove(folder / names[i]);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    CommandResult run = RunFormatCommand({"--in-place", "--quiet", "--jobs", "2", folder.Path().string()});
    stop = true;
    deleter.join();

    EXPECT_TRUE(run.nStatus == 0 || run.nStatus == 2) << run.nStatus << "\n" << run.sErr;
    std::string formatted;
    for (size_t i = 0; i < count; ++i) {
        const fs::path path = folder / names[i];
        if (!fs::exists(path)) {
            EXPECT_GE(i, count / 2) << names[i] << " was never deleted";
            continue;
        }
        const std::string now = ReadWhole(path);
        if (formatted.empty() && now != text)
            formatted = now;
        EXPECT_TRUE(now == text || now == formatted) << names[i] << " holds a damaged text";
    }
    EXPECT_FALSE(formatted.empty()) << "nothing was formatted";
    // Each message names a file that is gone; every message is one line.
    size_t start = 0;
    for (size_t end; (end = run.sErr.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = run.sErr.substr(start, end - start);
        bool namesVanished = false;
        for (size_t i = count / 2; i < count; ++i)
            namesVanished |= line.find(names[i]) != std::string::npos && !fs::exists(folder / names[i]);
        EXPECT_TRUE(namesVanished) << line;
    }
    std::vector<std::string> remaining;
    for (const std::string& name : names)
        remaining.push_back(name);
    EXPECT_TRUE(folder.Strays(remaining).empty());
}

#endif // QUILLMARK_FORMAT_EXE

} // namespace
