// Every text quillmark-format shows apart from file names and error details.
#pragma once

#include <cstddef>
#include <string>

namespace qmcli
{

inline constexpr const char* kProgramName = "quillmark-format";

std::string HelpText();
std::string VersionText();
// What is printed when the command is started without inputs on a terminal.
std::string UsageText();
// The line after an in-place run: "3 files reformatted, 120 unchanged, 1 refused".
std::string SummaryText(size_t reformatted, size_t unchanged, size_t refused);

} // namespace qmcli
