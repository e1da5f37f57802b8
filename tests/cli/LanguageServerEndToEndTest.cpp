// The built quillmark-format --lsp as an editor runs it: through pipes, with a
// client that waits for its answers (a wrong Content-Length must not leave
// either side waiting for the other), one that goes away, and Neovim itself
// formatting corpus files, whose buffers must equal quillmark-format's output.
#include "MessageFraming.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using json = nlohmann::json;
using namespace qmcli;

namespace
{

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Waits for a child, at most `seconds`; a child still running then is killed
// and reported as -1.
int WaitFor(pid_t pid, int seconds)
{
    int status = 0;
    for (int tenths = 0; tenths < seconds * 10; ++tenths)
    {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        ::usleep(100000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

// The server as a child on two pipes.
class CServerProcess
{
public:
    CServerProcess()
    {
        int toServer[2], fromServer[2];
        EXPECT_EQ(::pipe(toServer), 0);
        EXPECT_EQ(::pipe(fromServer), 0);
        m_nPid = ::fork();
        if (m_nPid == 0)
        {
            ::dup2(toServer[0], 0);
            ::dup2(fromServer[1], 1);
            for (int fd : {toServer[0], toServer[1], fromServer[0], fromServer[1]})
                ::close(fd);
            ::execl(QUILLMARK_FORMAT_EXE, QUILLMARK_FORMAT_EXE, "--lsp", nullptr);
            ::_exit(127);
        }
        ::close(toServer[0]);
        ::close(fromServer[1]);
        m_nIn = toServer[1];
        m_nOut = fromServer[0];
        ::signal(SIGPIPE, SIG_IGN);
    }
    ~CServerProcess()
    {
        CloseInput();
        if (m_nOut >= 0)
            ::close(m_nOut);
        if (m_nPid > 0)
            WaitFor(m_nPid, 5);
    }

    void Send(const std::string& bytes)
    {
        ASSERT_EQ(::write(m_nIn, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void CloseInput()
    {
        if (m_nIn >= 0)
            ::close(m_nIn);
        m_nIn = -1;
    }
    void CloseOutput()
    {
        ::close(m_nOut);
        m_nOut = -1;
    }
    // The next message, or null when none comes within `seconds`.
    json Receive(int seconds = 10)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        for (;;)
        {
            const size_t end = m_sPending.find("\r\n\r\n");
            if (end != std::string::npos)
            {
                const size_t length = std::stoul(m_sPending.substr(m_sPending.find(':') + 1));
                if (m_sPending.size() >= end + 4 + length)
                {
                    json message = json::parse(m_sPending.substr(end + 4, length));
                    m_sPending.erase(0, end + 4 + length);
                    return message;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{m_nOut, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                return nullptr;
            char buffer[65536];
            const ssize_t n = ::read(m_nOut, buffer, sizeof buffer);
            if (n <= 0)
                return nullptr;
            m_sPending.append(buffer, static_cast<size_t>(n));
        }
    }
    int Exit(int seconds = 10)
    {
        const int status = WaitFor(m_nPid, seconds);
        m_nPid = -1;
        return status;
    }

private:
    pid_t m_nPid = -1;
    int m_nIn = -1, m_nOut = -1;
    std::string m_sPending;
};

std::string Framed(const json& message)
{
    return FrameMessage(message.dump());
}

const std::string kInitialize =
    Framed({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}});

TEST(LanguageServerProcess, AWrongContentLengthIsAnsweredWhileTheClientWaits)
{
    CServerProcess server;
    server.Send(kInitialize);
    ASSERT_EQ(server.Receive()["id"], 1);
    // Longer than the message: the client now waits for its answer, and the
    // server must not wait for bytes that will never come.
    const std::string body = json{{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}}.dump();
    server.Send("Content-Length: " + std::to_string(body.size() + 40) + "\r\n\r\n" + body);
    const json answer = server.Receive(5);
    ASSERT_FALSE(answer.is_null()) << "no answer: the server waits for the rest of the message";
    EXPECT_EQ(answer["id"], 2);
    EXPECT_EQ(answer["error"]["code"], -32600);
    server.Send(Framed({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "shutdown"}}));
    EXPECT_EQ(server.Receive()["id"], 3);
    server.Send(Framed({{"jsonrpc", "2.0"}, {"method", "exit"}}));
    EXPECT_EQ(server.Exit(), 0);
}

TEST(LanguageServerProcess, EndsWhenTheEditorGoesAway)
{
    {
        // Input closed in the middle of a message.
        CServerProcess server;
        server.Send(kInitialize + "Content-Length: 100\r\n\r\n{\"jsonrpc\":");
        server.CloseInput();
        EXPECT_EQ(server.Exit(), 1);
    }
    {
        // Output closed: answering fails, and the server ends instead of dying of SIGPIPE.
        CServerProcess server;
        server.CloseOutput();
        server.Send(kInitialize);
        EXPECT_EQ(server.Exit(), 1);
    }
}

// ---------------------------------------------------------------- Neovim

bool HaveNeovim()
{
    return std::system("nvim --version > /dev/null 2>&1") == 0;
}

fs::path CorpusDir()
{
    if (const char* env = std::getenv("QUILLMARK_CORPUS_DIR"); env && *env)
        return env;
    return QUILLMARK_CORPUS_DIR;
}

// Runs a command; its standard output, or nothing when it fails.
std::optional<std::string> Output(const std::string& command)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string out;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    return ::pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string WithoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

class NeovimTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!HaveNeovim())
            GTEST_SKIP() << "nvim is not installed: the end-to-end test with Neovim is skipped";
        std::error_code error;
        if (!fs::is_directory(CorpusDir(), error))
            GTEST_SKIP() << "no corpus at " << CorpusDir();
        std::string pattern = (fs::temp_directory_path() / "qm-nvim-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }

    // Formats each job's file in one Neovim session through the server; each
    // job's buffer afterwards is written to its output file. A job with
    // lines "A:B" formats that range, otherwise the whole file.
    struct CJob
    {
        fs::path m_Input;
        std::string m_sLines;
        fs::path m_Output;
    };
    void RunNeovim(const std::vector<CJob>& jobs)
    {
        std::ofstream list(m_dir / "jobs.txt");
        for (const CJob& job : jobs)
            list << job.m_Input.string() << '\t' << job.m_Output.string() << '\t' << job.m_sLines << '\n';
        list.close();
        const std::string command =
            "cd " + Quoted(m_dir.string()) + " && QM_FORMAT_EXE=" + Quoted(QUILLMARK_FORMAT_EXE) +
            " QM_JOBS=" + Quoted((m_dir / "jobs.txt").string()) +
            " timeout 300 nvim --headless --clean -n -u NONE -i NONE -c " +
            Quoted("luafile " + std::string(QUILLMARK_SOURCE_DIR) + "/tests/cli/FormatWithNeovim.lua") +
            " > " + Quoted((m_dir / "nvim.log").string()) + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(m_dir / "nvim.log");
    }

    fs::path m_dir;
};

TEST_F(NeovimTest, FormatsCorpusFilesAsTheCommandDoes)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(CorpusDir()))
        if (entry.is_regular_file() && entry.path().extension() == ".sql")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    // Each sampled file twice: formatted whole, and its middle line as a
    // range (the units that touch it), against --lines for that line.
    std::vector<CJob> jobs;
    std::vector<std::string> expected;
    const std::string command = Quoted(QUILLMARK_FORMAT_EXE) + " ";
    for (size_t i = 0; i < files.size() && jobs.size() < 48; i += 61)
    {
        // Only what the command formats as UTF-8, as Neovim reads it here.
        const auto whole = Output(command + Quoted(files[i].string()) + " 2>/dev/null");
        const std::string text = ReadFile(files[i]);
        const std::string middle = std::to_string(std::count(text.begin(), text.end(), '\n') / 2 + 1);
        const std::string lines = middle + ":" + middle;
        const auto range = Output(command + "--lines " + lines + " " + Quoted(files[i].string()) + " 2>/dev/null");
        if (!whole || !range)
            continue;
        jobs.push_back({files[i], "", m_dir / ("out" + std::to_string(jobs.size()))});
        expected.push_back(*whole);
        jobs.push_back({files[i], lines, m_dir / ("out" + std::to_string(jobs.size()))});
        expected.push_back(*range);
    }
    ASSERT_GT(jobs.size(), 20u);
    RunNeovim(jobs);
    for (size_t k = 0; k < jobs.size(); ++k)
        EXPECT_EQ(ReadFile(jobs[k].m_Output), WithoutCarriageReturns(expected[k]))
            << jobs[k].m_Input << (jobs[k].m_sLines.empty() ? "" : " lines " + jobs[k].m_sLines);
}

// Neovim counts its changes in UTF-16 units for the server: text typed after
// surrogate pairs must land where Neovim put it, or the formatted buffer would
// differ from the command's output for the typed text.
TEST_F(NeovimTest, TypingAfterSurrogatePairsKeepsTheServerInStep)
{
    const fs::path input = m_dir / "typed.sql";
    std::ofstream(input, std::ios::binary) << "-- 𝄞 é\n"
                                              "select '𝄞𝄞' x, \"é𝄞\" y from t where a = 'ü'\n"
                                              "/\n"
                                              "select a, b from u;\n";
    RunNeovim({{input, "type: /*𝄞é*/", m_dir / "out"}});
    const fs::path typed = m_dir / "out.typed";
    ASSERT_NE(ReadFile(typed).find("'𝄞 /*𝄞é*/𝄞'"), std::string::npos) << ReadFile(typed);
    const auto expected = Output(Quoted(QUILLMARK_FORMAT_EXE) + " " + Quoted(typed.string()));
    ASSERT_TRUE(expected);
    EXPECT_EQ(ReadFile(m_dir / "out"), *expected);
}

} // namespace
