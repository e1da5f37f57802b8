#include "GitIgnored.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace qmcli
{

namespace
{

// Runs git with the arguments and collects its standard output; false when it
// cannot be started or does not succeed. Its standard error is dropped.
bool RunGit(const std::vector<std::string>& args, std::string& output, bool& notFound)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("git"));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawnError = ::posix_spawnp(&pid, "git", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawnError != 0)
    {
        ::close(pipeEnds[0]);
        notFound = spawnError == ENOENT;
        return false;
    }
    char buffer[1 << 14];
    for (;;)
    {
        const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

std::string CGitIgnored::TopOf(const std::string& folder)
{
    if (auto cached = m_aTopOfFolder.find(folder); cached != m_aTopOfFolder.end())
        return cached->second;
    std::error_code ec;
    std::string top;
    if (fs::exists(fs::path(folder) / ".git", ec))
        top = folder;
    else if (const fs::path parent = fs::path(folder).parent_path(); parent != fs::path(folder) && !parent.empty())
        top = TopOf(parent.string());
    m_aTopOfFolder[folder] = top;
    return top;
}

const CGitIgnored::CWorkTree& CGitIgnored::WorkTree(const std::string& top)
{
    if (auto known = m_aWorkTrees.find(top); known != m_aWorkTrees.end())
        return known->second;
    CWorkTree tree;
    std::string output;
    bool notFound = false;
    // Untracked paths that the ignore rules match; a wholly ignored folder is
    // listed once, with a trailing '/'.
    if (RunGit({"-C", top, "ls-files", "-z", "--others", "--ignored", "--exclude-standard", "--directory"},
               output, notFound))
    {
        for (size_t start = 0; start < output.size();)
        {
            const size_t end = output.find('\0', start);
            tree.m_aIgnored.insert(output.substr(start, end - start));
            start = end == std::string::npos ? output.size() : end + 1;
        }
    }
    else if (notFound)
        m_sProblem = "git is not installed, so files git ignores are formatted too";
    else
        m_sProblem = "git could not list the ignored files of " + top;
    return m_aWorkTrees.emplace(top, std::move(tree)).first->second;
}

bool CGitIgnored::IsIgnored(const std::string& path, bool isFolder)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    if (ec)
        return false;
    const std::string top = TopOf(canonical.parent_path().string());
    if (top.empty())
        return false;
    const std::string relative = canonical.lexically_relative(top).string();
    if (relative.empty() || relative == "." || relative.starts_with(".."))
        return false;
    const std::set<std::string>& ignored = WorkTree(top).m_aIgnored;
    if (ignored.empty())
        return false;
    for (size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
        if (ignored.count(relative.substr(0, slash + 1)))
            return true;
    return ignored.count(isFolder ? relative + "/" : relative) != 0;
}

} // namespace qmcli
