// The layout stage of PL/SQL units (packages, procedures, functions, triggers,
// types and anonymous blocks): blocks, declarations and control flow get lines
// and indentation of their own, while the SQL inside them is laid out by the
// SQL layout writer from the column where each statement starts.
#pragma once

#include "BaseToken.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class COptions;

// Replaces output with the laid-out text of one PL/SQL unit's analysed tokens
// (classified with PlsqlWordIndex, so that PL/SQL's words carry their codes).
// Every token is written once, in order; text that the rules do not recognise
// is laid out as the SQL rules lay it out. With keptLines, also replaces its
// contents with the numbers of the output lines the finishing step must leave
// as they are: those that begin inside a literal (as WriteLayout gives them)
// and the blank lines kept between statements.
void WritePlsqlLayout(const COptions& options, std::u16string_view newLine, const CTokenList& tokens,
                      std::u16string& output, std::vector<int32_t>* keptLines = nullptr);
// The same, appending to output as a text of its own that starts a line: its
// columns and the lines in keptLines count from its own start.
void AppendPlsqlLayout(const COptions& options, std::u16string_view newLine, const CTokenList& tokens,
                       std::u16string& output, std::vector<int32_t>* keptLines = nullptr);

// Whether the tokens of a PL/SQL unit open a Java source, class or resource
// (CREATE [OR REPLACE] [AND RESOLVE|COMPILE] [NOFORCE] JAVA ...): text for the
// Java compiler, which neither command may change.
bool IsJavaUnit(const CTokenList& tokens);

// The lines of a unit's laid-out text that a finish must leave as they are:
// those that begin inside a literal, and the empty ones (the blank lines the
// layout kept). For a text given back by the user, whose kept lines were not
// noted while it was written.
std::vector<int32_t> KeptLinesOfLaidOutUnit(std::u16string_view text);
