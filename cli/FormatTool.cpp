#include "FormatTool.h"

#include "AtomicReplace.h"
#include "CodePage.h"
#include "CommandLine.h"
#include "FixedPoint.h"
#include "HelpText.h"
#include "LanguageServer.h"
#include "OptionLayers.h"
#include "ParallelRunner.h"
#include "Prefault.h"
#include "Format.h"
#include "SourceFiles.h"
#include "SqlFileText.h"
#include "UnifiedDiff.h"
#include "UserFolders.h"
#include "WalkFilter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace qmcli
{

namespace
{

// A file's bytes are freed once decoded; a large file's are handed back to
// the system, since the heap keeps freed memory (see main) and the bytes
// would stay resident beside the formatting's own buffers.
void ReleaseFileBytes(std::string& bytes)
{
    const bool large = bytes.size() >= (256 << 10);
    std::string().swap(bytes);
#ifdef __GLIBC__
    if (large)
        malloc_trim(0);
#else
    (void)large;
#endif
}

bool ReadDescriptor(int fd, std::string& bytes, std::string& error)
{
    char buffer[1 << 16];
    for (;;)
    {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            return false;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
    {
        error = std::strerror(errno);
        return false;
    }
    // A regular file is read straight into a string of its size, so that a
    // large file is neither copied from a small buffer nor grown step by step.
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    {
        bytes.reserve(static_cast<size_t>(st.st_size));
        Prefault(bytes.data(), static_cast<size_t>(st.st_size));
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < bytes.size())
        {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
            {
                error = std::strerror(errno);
                ::close(fd);
                return false;
            }
            if (n == 0)
                break;
            done += static_cast<size_t>(n);
        }
        bytes.resize(done); // the file shrank meanwhile
    }
    // What is left: all of a pipe or device, or what was added meanwhile.
    const bool ok = ReadDescriptor(fd, bytes, error);
    ::close(fd);
    return ok;
}

// What one run does with each result.
struct CRunSettings
{
    int m_nMode = MODE_FORMAT;
    bool m_bInPlace = false;
    bool m_bCheck = false;
    bool m_bDiff = false;
    bool m_bVerify = true;
    std::optional<unsigned> m_nEncodingCodePage; // --encoding
    bool m_bEncodingGiven = false;
    std::string m_sStdinLabel = "<stdin>";
    bool m_bSeveralResults = false; // more than one result goes to standard output
    bool m_bColour = false;         // diffs in terminal colours
    std::vector<CLineRange> m_aLines; // --lines
    unsigned m_nUnitThreads = 1;      // threads for the units of one long file
};

struct CFileResult
{
    std::string m_sOut;                  // for standard output, in order
    std::vector<std::string> m_aErrors;  // one line each, already prefixed
    std::vector<std::string> m_aWarnings; // likewise; they fail nothing
    bool m_bChanged = false;
};

// A file's bytes (or standard input's), with its stamp for the rewrite.
bool ReadSource(const CSourceFile& source, const CToolEnvironment& env, std::string& bytes,
                CFileStamp& stamp, std::string& error)
{
    if (source.m_bStdin)
    {
        if (env.m_ReadStdin(bytes, error))
            return true;
        error = "cannot read standard input: " + error;
        return false;
    }
    stamp = StampOf(source.m_sPath);
    return ReadFileBytes(source.m_sPath, bytes, error);
}

CFileResult FormatOne(CFormatWorkspace& workspace, const CSourceFile& source, const COptions& options,
                      unsigned fileCodePage, const CRunSettings& run, const CToolEnvironment& env)
{
    CFileResult result;
    const std::string label = source.m_bStdin ? run.m_sStdinLabel : source.m_sPath;
    auto fail = [&](const std::string& what) {
        result.m_aErrors.push_back(std::string(kProgramName) + ": " + label + ": " + what);
        return result;
    };

    std::string bytes, error;
    CFileStamp stamp;
    // Reading a pipe or a device for -i could wait for ever, and its result
    // could not be put back: only regular files are rewritten.
    struct stat st;
    if (run.m_bInPlace && !source.m_bStdin && ::stat(source.m_sPath.c_str(), &st) == 0 &&
        !S_ISREG(st.st_mode))
        return fail("is not a regular file; nothing written");
    if (!ReadSource(source, env, bytes, stamp, error))
        return fail(error);

    // Standard input is UTF-8 unless --encoding says otherwise; --check and
    // --diff judge it as the file it came from, so it is read as that file
    // would be (its options file may name an encoding).
    const bool judgedAsFile = run.m_bCheck || run.m_bDiff;
    const unsigned codePage =
        source.m_bStdin && !run.m_bEncodingGiven && !judgedAsFile ? kCodePageUtf8 : fileCodePage;
    CSqlText text;
    if (!DecodeSqlText(bytes, codePage, text, error, {run.m_nUnitThreads}))
        return fail(error);

    // Writing the text back makes all its line endings like the first one.
    if (!run.m_aLines.empty() && !text.m_bExact)
        return fail("has mixed line endings, which --lines would change outside the lines asked for; "
                    "nothing written");
    std::u16string input = std::move(text.m_sText);
    // Only a result written back to the file is compared with its bytes, and
    // only --diff shows them. Where encoding the text gives the bytes back,
    // the result gives them back exactly when it is the text itself: the
    // texts are compared instead and the bytes need not be kept.
    const bool toFile = run.m_bInPlace || run.m_bCheck || run.m_bDiff;
    const bool keepBytes = run.m_bDiff || (toFile && !text.m_bExact);
    if (!keepBytes)
        ReleaseFileBytes(bytes);
    CFixedPointSettings settings;
    settings.m_nMode = run.m_nMode;
    settings.m_bVerify = run.m_bVerify;
    settings.m_aLines = run.m_aLines;
    settings.m_nThreads = run.m_nUnitThreads;
    settings.m_DamageResult = env.m_DamageResult;

    // Standard output gets UTF-8 without a mark. A file keeps its own
    // encoding, mark and line ending, and --check and --diff judge standard
    // input the same way, so that a file piped in is judged as the file it is.
    CSqlText target = text;
    if (!toFile)
    {
        target.m_nEncoding = ENC_UTF8;
        target.m_nCodePage = kCodePageUtf8;
    }
    std::string newBytes;
    // The result of a long text is encoded a section at a time, as the
    // threads settle them, by the thread that would otherwise wait for them,
    // and compared with the input on the way.
    std::optional<CSqlTextEncoder> encoder;
    size_t sameUpTo = 0; // units of the input the parts so far repeat; npos once one differs
    if (run.m_nUnitThreads > 1 && CSqlTextEncoder::CanEncodeInParts(target))
    {
        encoder.emplace(target, toFile, newBytes);
        encoder->Reserve(input.size() * 2);
        settings.m_TakePart = [&](std::u16string_view part) {
            encoder->Append(part);
            if (sameUpTo != std::string::npos && std::u16string_view(input).substr(sameUpTo, part.size()) == part)
                sameUpTo += part.size();
            else
                sameUpTo = std::string::npos;
        };
    }
    const CFixedPointResult formatted = FormatToFixedPoint(workspace, input, options, settings);
    if (!formatted.m_sError.empty())
        return fail(formatted.m_sError + "; nothing written");
    const std::u16string& output = formatted.m_sText;
    for (int32_t line : formatted.m_aUnitsNotLaidOut)
        result.m_aWarnings.push_back(std::string(kProgramName) + ": " + label + ":" + std::to_string(line) +
                                     ": warning: statements kept on their lines, only capitalised: laid out, "
                                     "a line of them would read as a SQL*Plus command, a terminator or an "
                                     "off switch");

    if (toFile && !keepBytes && (formatted.m_bInParts ? sameUpTo == input.size() : output == input))
        return result;
    // The input is read again only to refuse mixed line endings (below).
    if (!toFile || text.m_bExact)
        std::u16string().swap(input); // room for the bytes written out
    if (formatted.m_bInParts)
    {
        if (!encoder->Finish(error))
            return fail(error + "; nothing written");
    }
    else if (!EncodeSqlText(output, target, toFile, newBytes, error, {run.m_nUnitThreads}))
        return fail(error + "; nothing written");
    if (!toFile)
    {
        // Results of several files follow each other: each on lines of its own.
        if (run.m_bSeveralResults && !newBytes.empty() && newBytes.back() != '\n')
            newBytes += text.m_bCrLf ? "\r\n" : "\n";
        result.m_sOut = std::move(newBytes);
        return result;
    }
    if (keepBytes && newBytes == bytes)
        return result;
    // Making mixed line endings uniform would change a literal that spans lines.
    if (!text.m_bExact && HasLineBreakInLiteral(input))
        return fail("has mixed line endings and a string literal or quoted identifier that spans "
                    "lines; make its line endings uniform first, nothing written");
    result.m_bChanged = true;

    if (run.m_bDiff)
    {
        // In the file's own bytes, so that the diff applies to the file.
        result.m_sOut = UnifiedDiff(bytes, newBytes, GitPathLabel('a', label), GitPathLabel('b', label));
        if (run.m_bColour)
            result.m_sOut = ColourDiff(result.m_sOut);
    }
    else if (run.m_bCheck)
        result.m_sOut = label + "\n";
    if (run.m_bInPlace && !ReplaceFileContents(source.m_sPath, newBytes, stamp, error))
        return fail("cannot be rewritten: " + error);
    return result;
}

std::optional<unsigned> CodePageFor(const CCommandLine& cl, std::string& error)
{
    if (!cl.m_sEncoding)
        return std::nullopt;
    auto codePage = CodePageFromName(*cl.m_sEncoding);
    if (!codePage)
    {
        error = "unknown encoding '" + *cl.m_sEncoding + "' (try utf-8, latin1, cp1252)";
        return std::nullopt;
    }
    CCodePage probe(*codePage);
    if (!probe.IsValid())
    {
        error = "encoding '" + *cl.m_sEncoding + "' cannot be converted here: " + probe.GetError();
        return std::nullopt;
    }
    return *codePage;
}

// How a file without a byte-order mark is read: --encoding, else the encoding
// of its options file, else the locale's character set.
unsigned FileCodePage(const CRunSettings& run, const CToolSettings& tool)
{
    if (run.m_nEncodingCodePage)
        return *run.m_nEncodingCodePage;
    if (tool.m_sEncoding)
        if (const auto codePage = CodePageFromName(*tool.m_sEncoding))
            return *codePage;
    return kCodePageLocale;
}

// For -vv: how a file's text is read when it has no byte-order mark.
std::string EncodingWords(const CCommandLine& cl, const CToolSettings& tool, const COptionsSource& source,
                          bool isStdin)
{
    if (cl.m_sEncoding)
        return "text without a byte-order mark read as " + *cl.m_sEncoding + " (--encoding)";
    if (isStdin && !cl.m_bCheck && !cl.m_bDiff)
        return "standard input without a byte-order mark read as UTF-8";
    if (tool.m_sEncoding)
        return "text without a byte-order mark read as " + *tool.m_sEncoding + " (encoding in " +
               source.m_sPath + ")";
    return "text without a byte-order mark read in the locale's character set";
}

} // namespace

CToolEnvironment ProcessEnvironment()
{
    CToolEnvironment env;
    env.m_ReadStdin = [](std::string& bytes, std::string& error) {
        return ReadDescriptor(STDIN_FILENO, bytes, error);
    };
    env.m_pOut = &std::cout;
    env.m_pErr = &std::cerr;
    env.m_sUserStorePath = ConfigFilePath();
    env.m_bStdinIsTerminal = ::isatty(STDIN_FILENO) == 1;
    env.m_bStdoutIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    const char* noColor = std::getenv("NO_COLOR");
    env.m_bNoColor = noColor && *noColor;
    return env;
}

int RunFormatTool(const std::vector<std::string>& args, const CToolEnvironment& env)
{
    std::ostream& out = *env.m_pOut;
    std::ostream& err = *env.m_pErr;
    auto usageError = [&](const std::string& text) {
        err << kProgramName << ": " << text << "\n";
        return EXIT_ERROR;
    };

    std::string error;
    const auto parsed = ParseCommandLine(args, error);
    if (!parsed)
        return usageError(error);
    const CCommandLine& cl = *parsed;
    if (cl.m_nAction == CCommandLine::ACTION_HELP)
    {
        out << HelpText();
        return EXIT_OK;
    }
    if (cl.m_nAction == CCommandLine::ACTION_VERSION)
    {
        out << VersionText();
        return EXIT_OK;
    }
    if (cl.m_nAction == CCommandLine::ACTION_LSP)
    {
        // A --set that names no option is a usage error now, not an error
        // at every request.
        COptions scratch;
        for (const COptionSetting& setting : cl.m_aSettings)
            if (!ApplySetting(setting, scratch, error))
                return usageError(error);
        return RunLanguageServer(cl, env.m_sUserStorePath, env.m_DamageResult);
    }
    if (cl.m_nAction == CCommandLine::ACTION_HELP_OPTIONS)
    {
        out << OptionsReferenceText();
        return EXIT_OK;
    }

    // Waiting for a terminal to type SQL is never what was meant.
    if (cl.m_aInputs.empty() && env.m_bStdinIsTerminal)
    {
        err << UsageText();
        return EXIT_ERROR;
    }

    CRunSettings run;
    run.m_nMode = cl.m_bCapitalise ? MODE_CAPITALISE : MODE_FORMAT;
    run.m_bInPlace = cl.m_bInPlace;
    run.m_bCheck = cl.m_bCheck;
    run.m_bDiff = cl.m_bDiff;
    run.m_bVerify = cl.m_bVerify;
    run.m_aLines = cl.m_aLines;
    run.m_bEncodingGiven = cl.m_sEncoding.has_value();
    run.m_nEncodingCodePage = CodePageFor(cl, error);
    if (!error.empty())
        return usageError(error);
    if (cl.m_sStdinPath)
        run.m_sStdinLabel = *cl.m_sStdinPath;
    run.m_bColour = cl.m_nColor == CCommandLine::COLOR_ALWAYS ||
                    (cl.m_nColor == CCommandLine::COLOR_AUTO && env.m_bStdoutIsTerminal && !env.m_bNoColor);

    COptionLayers layers(cl, env.m_sUserStorePath, [&](const std::string& warning) {
        if (cl.m_nVerbosity >= 0)
            err << kProgramName << ": " << warning << "\n";
    });
    CWalkFilter walkFilter(layers, cl.m_aExclude);
    const CSourceList sources = FindSourceFiles(
        cl.m_aInputs, [&](const std::string& root, const std::string& path, bool isFolder) {
            return walkFilter.ReasonToSkip(root, path, isFolder);
        });

    // Line numbers name the lines of one text.
    if (!cl.m_aLines.empty() && sources.m_aFiles.size() > 1)
        return usageError("--lines applies to one file at a time, not " +
                          std::to_string(sources.m_aFiles.size()));

    // Every options source is read, and every bad one reported, before any
    // file is formatted.
    std::set<std::string> reported;
    std::vector<const COptions*> optionsOf;
    std::vector<unsigned> codePageOf;
    std::vector<std::string> optionErrors;
    for (const CSourceFile& source : sources.m_aFiles)
    {
        optionsOf.push_back(layers.OptionsFor(source.m_sPath, source.m_bStdin, optionErrors));
        codePageOf.push_back(FileCodePage(run, layers.ToolSettingsFor(source.m_sPath, source.m_bStdin)));
    }
    if (sources.m_aFiles.empty())
        layers.OptionsFor(".", true, optionErrors);
    if (!optionErrors.empty())
    {
        for (const std::string& line : optionErrors)
            if (reported.insert(line).second)
                err << kProgramName << ": " << line << "\n";
        return EXIT_ERROR;
    }

    if (cl.m_nAction == CCommandLine::ACTION_DUMP_OPTIONS)
    {
        const bool none = sources.m_aFiles.empty();
        const std::string path = none ? "." : sources.m_aFiles[0].m_sPath;
        const bool isStdin = none || sources.m_aFiles[0].m_bStdin;
        std::vector<std::string> ignored;
        const COptions* options = layers.OptionsFor(path, isStdin, ignored);
        out << "# options for " << (isStdin ? run.m_sStdinLabel : path) << ", from "
            << layers.SourceFor(path, isStdin).Describe() << "\n\n"
            << FormatOptionsText(*options, &layers.ToolSettingsFor(path, isStdin));
        return EXIT_OK;
    }

    if (cl.m_nVerbosity > 0)
    {
        if (!walkFilter.GitProblem().empty())
            err << kProgramName << ": " << walkFilter.GitProblem() << "\n";
        for (const std::string& line : sources.m_aSkipped)
            err << kProgramName << ": " << line << "\n";
        for (const CSourceFile& source : sources.m_aFiles)
        {
            const std::string label = source.m_bStdin ? run.m_sStdinLabel : source.m_sPath;
            err << kProgramName << ": " << label << ": " << layers.Explain(source.m_sPath, source.m_bStdin)
                << "\n";
            if (cl.m_nVerbosity > 1)
                err << kProgramName << ": " << label << ": "
                    << EncodingWords(cl, layers.ToolSettingsFor(source.m_sPath, source.m_bStdin),
                                     layers.SourceFor(source.m_sPath, source.m_bStdin), source.m_bStdin)
                    << "\n";
        }
    }

    bool failed = false;
    for (const std::string& line : sources.m_aErrors)
    {
        err << kProgramName << ": " << line << "\n";
        failed = true;
    }

    bool changed = false;
    size_t reformatted = 0, refused = 0;
    const auto& files = sources.m_aFiles;
    run.m_bSeveralResults = files.size() > 1;
    // Several files share the threads out among them; one file, the units of
    // its text when it is long.
    if (files.size() == 1)
        run.m_nUnitThreads = ThreadCount(cl.m_nJobs, static_cast<size_t>(-1));
    RunInOrder<CFileResult>(
        files.size(), ThreadCount(cl.m_nJobs, files.size()), [] { return CFormatWorkspace(); },
        [&](CFormatWorkspace& workspace, size_t i) {
            try
            {
                return FormatOne(workspace, files[i], *optionsOf[i], codePageOf[i], run, env);
            }
            catch (const std::bad_alloc&)
            {
                // The engine stays usable; only its memory is given back.
                workspace.Release();
                CFileResult result;
                result.m_aErrors.push_back(std::string(kProgramName) + ": " + files[i].m_sPath +
                                           ": out of memory; nothing written");
                return result;
            }
        },
        [&](size_t, CFileResult result) {
            out << result.m_sOut;
            for (const std::string& line : result.m_aErrors)
                err << line << "\n";
            if (cl.m_nVerbosity >= 0)
                for (const std::string& line : result.m_aWarnings)
                    err << line << "\n";
            failed = failed || !result.m_aErrors.empty();
            changed = changed || result.m_bChanged;
            refused += result.m_aErrors.empty() ? 0 : 1;
            reformatted += result.m_aErrors.empty() && result.m_bChanged ? 1 : 0;
        });
    if (run.m_bInPlace && cl.m_nVerbosity >= 0)
        err << SummaryText(reformatted, files.size() - reformatted - refused, refused);

    out.flush();
    if (!out)
    {
        err << kProgramName << ": cannot write to standard output\n";
        return EXIT_ERROR;
    }
    if (failed)
        return EXIT_ERROR;
    return run.m_bCheck && changed ? EXIT_CHANGES : EXIT_OK;
}

} // namespace qmcli
