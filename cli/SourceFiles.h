// Which files a run formats: the files named on the command line as they are,
// and below every named folder each file with an SQL or Oracle source
// extension, in a stable (sorted) order.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qmcli
{

struct CSourceFile
{
    std::string m_sPath;    // as the user will see it in messages and diffs
    bool m_bStdin = false;  // "-": standard input
};

struct CSourceList
{
    std::vector<CSourceFile> m_aFiles;
    std::vector<std::string> m_aErrors; // one line each: a name that is neither file nor folder
    std::vector<std::string> m_aSkipped; // "path: why", what a walk left out
};

// Why the walk of the folder root leaves out a file or folder it meets, or ""
// to keep it.
using CWalkSkip = std::function<std::string(const std::string& root, const std::string& path, bool isFolder)>;

// True for the extensions a folder walk picks up: .sql and .pks .pkb .pls .plb
// .tps .tpb .trg .prc .fnc, in any case.
bool IsSqlSourceName(const std::string& fileName);

// Expands the command line's inputs. No inputs means standard input. A file
// named twice (by any path) is formatted once. Below a named folder, hidden
// folders (".git") are not entered, symbolic links are not followed, and what
// skip leaves out is left out; a file or link named on the command line is
// always listed.
CSourceList FindSourceFiles(const std::vector<std::string>& inputs, const CWalkSkip& skip = {});

} // namespace qmcli
