// quillmark-format from arguments to exit status, with its streams passed in so
// that tests can run it in-process as well as through the built command.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace qmcli
{

enum ExitStatus { EXIT_OK = 0, EXIT_CHANGES = 1, EXIT_ERROR = 2 };

struct CToolEnvironment
{
    // Reads all of standard input; false with a reason when it cannot.
    std::function<bool(std::string& bytes, std::string& error)> m_ReadStdin;
    std::ostream* m_pOut = nullptr;
    std::ostream* m_pErr = nullptr;
    std::string m_sUserStorePath; // the saved options' file; empty: defaults
    bool m_bStdinIsTerminal = false;
    bool m_bStdoutIsTerminal = false;
    bool m_bNoColor = false; // NO_COLOR is set and not empty
    // Set only by tests and the test build of the command: damages every
    // result before the safety check, to prove that the check refuses it.
    std::function<void(std::u16string&)> m_DamageResult;
};

// The environment of the real command: standard streams and whether they are
// terminals, NO_COLOR and the user's store (QUILLMARK_CONFIG or the XDG
// location).
CToolEnvironment ProcessEnvironment();

int RunFormatTool(const std::vector<std::string>& args, const CToolEnvironment& env);

} // namespace qmcli
