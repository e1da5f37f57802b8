#include "HelpText.h"

#ifndef QUILLMARK_VERSION
#define QUILLMARK_VERSION "unknown"
#endif

namespace qmcli
{

std::string HelpText()
{
    return R"(Usage: quillmark-format [OPTION]... [FILE|FOLDER|-]...
Format Oracle SQL: every clause keyword on its own line, aligned on one keyword
column, lists stacked or wrapped, words re-cased by their kind. With no FILE,
or when FILE is -, read standard input (UTF-8, or as its byte-order mark or
--encoding says) and write the result (UTF-8) to standard output; --check and
--diff judge standard input in its own encoding and line ending, as they
would the file it came from; with no FILE and a terminal on standard input,
show how to use the command and exit with status 2. A FOLDER stands for every
*.sql, *.pks, *.pkb, *.pls, *.plb, *.tps, *.tpb, *.trg, *.prc and *.fnc file
below it, in sorted order (hidden folders such as .git, what git ignores and
what --exclude leaves out are skipped). Files are formatted in parallel; results
appear in the order of the inputs. Short flags may be bundled (-ij1 is
-i -j 1); long flags are typed in full.

What to do:
  (default)            write each result to standard output
                         quillmark-format query.sql > query.formatted.sql
  -i, --in-place       rewrite each file that changes, keeping its encoding,
                       byte-order mark, line ending (CR LF where its first line
                       break is CR LF), owner, group, mode and extended
                       attributes; the file is replaced atomically (a file with
                       several hard links is rewritten in place, see the man
                       page), and a file that would not change is not touched
                       (its modification time stays). Refused, and left alone:
                       read-only files, files whose owner could not be kept,
                       and anything but regular files. A link named on the
                       command line is followed; links below a FOLDER are not.
                       Mixed line endings are made uniform, unless a string
                       literal spans lines: then the file is left alone with an
                       error. A summary line follows on standard error ("3
                       files reformatted, 120 unchanged, 1 refused")
                         quillmark-format --in-place src/sql/
      --check          write nothing; list each file that would change and exit
                       with status 1 if any would
                         quillmark-format --check src/sql/ || echo "run quillmark-format -i"
      --diff           write nothing; print a unified diff of what would change,
                       with git's headers (--- a/PATH, +++ b/PATH), which
                       git apply and patch -p1 apply (with --check also exit 1
                       when there is a change). Each file's lines are written
                       in its own encoding and line ending, as the tools must
                       find them in the file: the diff of a UTF-16 or Latin-1
                       file holds UTF-16 or Latin-1 text
                         quillmark-format --diff report.sql | less
      --color[=WHEN]   colour the --diff output: auto (the default: when
                       standard output is a terminal and NO_COLOR is not set),
                       always (also --color alone) or never
                         quillmark-format --color=always --diff q.sql | less -R
      --capitalise, --capitalize
                       only re-case the words and keep the layout (Capitalise);
                       the default is the full re-layout (Format)
                         quillmark-format --capitalise legacy.pkb
      --dump-options   print the options in effect (for the first input, or the
                       current folder) as an options file, with a comment line
                       per key saying what it may hold, and exit
                         quillmark-format --dump-options > .quillmark.ini
      --lsp            serve editors as a language server on standard input and
                       output: whole documents and ranges (the units they
                       touch) are formatted with the options that apply to
                       each document's path; --options, --no-config, --set,
                       --left-margin and --capitalise apply to every document
                       (see the man page)
                         quillmark-format --lsp
      --help-options   list every key of an options file with its values, its
                       default and what it does, and exit
                         quillmark-format --help-options | less

Options of the formatting:
      --options FILE   take the options from FILE, an INI file that names only
                       what it changes; the rest keep their defaults:
                         [capitalisation]
                         keywords = lower   ; comments after a blank
                         [select]
                         column-list-comma = after
                       The desktop app's names ([Options\CCapitalisation]
                       m_nKeywords=1) are read too. It is read strictly: an
                       unknown section or key, or a value the key does not
                       allow, stops the run with file, line and the allowed
                       values.
                         quillmark-format --options team.ini -i src/
                       Without --options, the nearest .quillmark.ini in the
                       file's folder or a folder above it is used the same way;
                       without one, the options you saved in the desktop app
                       (read only: quillmark-format never changes them).
      --no-config      use neither a .quillmark.ini nor the desktop app's
                       options: the built-in defaults, then --options and --set
                         quillmark-format --no-config --set case.when-indent=4 q.sql
      --set SECTION.KEY=VALUE
                       override one option for this run (repeatable)
                         quillmark-format --set capitalisation.keywords=lower q.sql
      --left-margin N  put N blanks (0 to 1000) before every line; -1 keeps the
                       input's indentation (the result is indented as far as
                       the input's least indented line)
                         quillmark-format --left-margin 4 snippet.sql
      --lines FIRST:LAST
                       format only the statements and blocks (the units a
                       script is cut into between SQL*Plus commands and "/"
                       lines) that touch lines FIRST to LAST, counted from 1;
                       everything else, the lines between them included, stays
                       byte for byte (repeatable; one file at a time; a file
                       with mixed line endings is refused)
                         quillmark-format --lines 12:20 -i report.sql

Which files:
      --exclude GLOB   leave out what GLOB matches when a folder is walked, as
                       in .gitignore and relative to the current folder (*
                       stays within a folder, ** crosses folders, a trailing /
                       matches folders, a leading ! takes back); repeatable.
                       It adds to the exclude patterns of the options file's
                       [quillmark-format] section, which are relative to that
                       file's folder. Inside a git work tree a walk also skips
                       what git ignores (respect-gitignore = false in that
                       section turns it off). A file named on the command line
                       is always formatted, and a folder named there is walked
                       even when it is left out itself.
                         quillmark-format --exclude 'generated/' --check .

Input and safety:
      --encoding NAME  read files without a byte-order mark as NAME (utf-8,
                       latin1, cp1252, iso-8859-15, ...; by default the
                       encoding of the options file's [quillmark-format]
                       section, else the locale's character set, UTF-8 in a C
                       locale); files with a mark follow their mark. A file
                       whose bytes do not decode exactly, or that holds a NUL
                       character, is left alone with an error. Standard input
                       without a mark is read as NAME too (without --encoding,
                       as UTF-8, or by --check and --diff as the file it came
                       from would be).
                         quillmark-format --encoding cp1252 -i old/
      --stdin-path PATH
                       treat standard input as the file PATH: its folder finds
                       the .quillmark.ini, and messages and diffs name it
                         quillmark-format --stdin-path src/q.sql < selection.sql
      --no-verify      skip the safety check. Normally each result is checked
                       to hold the same tokens as its input (words and symbols
                       in the same order, letters compared without regard to
                       case outside string literals and quoted identifiers,
                       literals exactly, comments without their whitespace and
                       only where the options keep them); a result that fails
                       is not written, and the first difference is named.
                         quillmark-format --no-verify -i big.sql
  -j, --jobs N         use N threads (default: one per core)
                         quillmark-format --jobs 1 -i src/
  -q, --quiet          print only errors: no summary, no warnings
                         quillmark-format --quiet -i src/
  -v, --verbose        say on standard error which options apply to each file
                       and why, and what a folder walk skipped and why; -vv
                       also says how each file's text is read
                         quillmark-format --verbose --check src/
  -h, --help           show this help and exit
                         quillmark-format --help | less
  -V, --version        show the version and exit
                         quillmark-format --version

Every result is settled: one run of the engine can leave a text that a second
run changes again (a comment's indentation follows the input's lines), so the
command formats each result again until a run changes nothing, at most 4 runs,
and writes, checks or diffs that; --check passes right after -i. A text still
changing after 4 runs is an error for its file. (The desktop app's Format is
one run.)

Exit status: 0 success; 1 --check found a file that would change; 2 an error
(a bad option stops the run before any file is touched; an unreadable or
undecodable file, a result that does not settle or a failed safety check is
reported on one line of standard error and the other files are still
formatted).
)";
}

std::string UsageText()
{
    return "Usage: quillmark-format [OPTION]... [FILE|FOLDER|-]...\n"
           "Standard input is a terminal: give files or folders, or pipe SQL in\n"
           "(quillmark-format < query.sql, or quillmark-format - to type it).\n"
           "Try 'quillmark-format --help' for more information.\n";
}

std::string SummaryText(size_t reformatted, size_t unchanged, size_t refused)
{
    return std::to_string(reformatted) + (reformatted == 1 ? " file" : " files") + " reformatted, " +
           std::to_string(unchanged) + " unchanged, " + std::to_string(refused) + " refused\n";
}

std::string VersionText()
{
    return std::string(kProgramName) + " (Quillmark) " + QUILLMARK_VERSION + "\n";
}

} // namespace qmcli
