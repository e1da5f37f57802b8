// Every text quillmark-format shows apart from file names and error details.
#pragma once

#include <string>

namespace qmcli
{

inline constexpr const char* kProgramName = "quillmark-format";

std::string HelpText();
std::string VersionText();

} // namespace qmcli
