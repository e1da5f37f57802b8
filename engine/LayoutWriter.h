// The layout writer of the Format command: lays the analysed tokens out into
// lines, keyword columns and lists.
#pragma once

#include "BaseToken.h"

#include <string>

class CSQLParser;

// Replaces output with the laid-out text of tokens.
void WriteLayout(const CSQLParser& engine, const CTokenList& tokens, std::u16string& output);
