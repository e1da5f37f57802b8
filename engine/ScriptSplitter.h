// The first stage of every run: cuts a script into the pieces that are
// formatted (SQL and PL/SQL units) and the pieces that are copied as they are
// (SQL*Plus command lines, "/" and "." terminator lines, regions the user
// switched formatting off for, and the blank lines and line breaks between
// pieces).
//
// A script is read as SQL*Plus reads it, line by line. Lines are classified
// only where they begin outside a string literal, quoted identifier or block
// comment:
// - a terminator line holds only "/" or "." (blanks around it allowed) and
//   ends the current unit;
// - a command line starts with a SQL*Plus command word (shortest abbreviation
//   up to the full word, any case) where a unit may start: at the start of the
//   text, after a terminator or command line, or after a line that ends a SQL
//   statement with ";"; a command ending in " -" continues on the next line;
// - a line holding only the comment "-- quillmark: off" (or "/* ... */", or
//   "fmt: off") starts a region kept verbatim up to the next such "on" line;
// - a unit whose first words are DECLARE, BEGIN, a <<label>>, or CREATE [OR
//   REPLACE] [EDITIONABLE|NONEDITIONABLE] PROCEDURE, FUNCTION, PACKAGE,
//   TRIGGER, TYPE, LIBRARY or JAVA is PL/SQL and ends only at a terminator
//   line; any other unit is SQL and may hold several statements.
// Comment lines between units belong to the unit that follows them, except
// before a command, terminator or off line, where they stay as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

enum ScriptPieceKind
{
    PIECE_SQL,        // a SQL unit: formatted
    PIECE_PLSQL,      // a PL/SQL unit: formatted
    PIECE_COMMAND,    // SQL*Plus command line(s), verbatim
    PIECE_TERMINATOR, // a "/" or "." line, verbatim
    PIECE_OFF,        // a region formatting is switched off for, verbatim
    PIECE_VERBATIM,   // blank lines, line breaks and comments between pieces
};

// The pieces that get formatted.
inline bool IsUnit(ScriptPieceKind kind)
{
    return kind == PIECE_SQL || kind == PIECE_PLSQL;
}

struct CScriptPiece
{
    ScriptPieceKind m_nKind = PIECE_VERBATIM;
    size_t m_nStart = 0;  // UTF-16 units of the text
    size_t m_nLength = 0;
    int32_t m_nFirstLine = 1; // 1-based lines the piece touches
    int32_t m_nLastLine = 1;
};

// The pieces of text, in order, covering it exactly: their lengths add up to
// the text's. A unit runs from the start of its first line to the end of its
// last line that holds something, without the line break (nor a carriage
// return before it). One pass over the text.
std::vector<CScriptPiece> SplitScript(std::u16string_view text);

// What it takes to tell whether a unit's formatted text still reads as units
// only, with no line that is a SQL*Plus command, a terminator or an off
// switch: layout starts new lines, and a line that begins with "prompt" after
// a statement's ";" is a command wherever it came from.
// Whether a line that starts with word may be a command line.
bool MayStartCommand(std::u16string_view word);
// Whether a comment, alone on a line, switches formatting off or on.
bool IsFormatSwitch(std::u16string_view comment);
// Whether some line of text holds only "/" or "." (and blanks), whatever
// literal or comment it may be inside.
bool HasTerminatorLine(std::u16string_view text);
// Whether text splits into units and the blank lines between them only.
bool SplitsIntoUnitsOnly(std::u16string_view text);
