// Fuzz target of the settings store: the INI parser and writer over arbitrary
// bytes, the options' lenient loading of whatever values they find, the strict
// reading of shared options files (quillmark-format --options), and (for one
// input in eight) the real file store loading, saving and flushing.
// Properties: parsing never fails; what the writer writes parses cleanly and
// writes back identically; an options file that reads without error writes
// back to one that reads the same; every error is one line; a flush loses no
// value outside the option sections and keeps a file with malformed lines as
// "<file>.bad".
#include "FuzzInput.h"
#include "IniFile.h"
#include "IniProfileStore.h"
#include "Options.h"
#include "OptionsFile.h"
#include "ProfileStore.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

// A value or section name the file format holds exactly: anything a line
// holds but a CR, which the writer turns into a blank.
bool RoundTrips(const std::string& value)
{
    return value.find('\r') == std::string::npos;
}

void CheckRoundTrip(const CIniDocument& doc)
{
    const std::string text = doc.Format();
    const CIniParseResult again = ParseIni(text);
    if (!again.Clean())
        Fail("the writer's text has a malformed line " + std::to_string(again.m_aMalformed[0].m_nLine) +
             ": " + again.m_aMalformed[0].m_sReason);
    const CIniDocument reread(again);
    if (reread.Format() != text)
        Fail("the writer's text does not write back identically");
    for (const CIniSection& section : doc.Sections())
        for (const CIniEntry& entry : section.m_aEntries) {
            if (entry.m_nKind != CIniEntry::VALUE || !RoundTrips(section.m_sName) ||
                !RoundTrips(entry.m_sValue))
                continue;
            const std::string* value = reread.Find(section.m_sName, entry.m_sName);
            if (!value || *value != entry.m_sValue)
                Fail("[" + section.m_sName + "] " + entry.m_sName + " was lost or changed");
        }
}

// The options load from any values: integers leniently, nothing thrown.
void CheckLenientLoad(const CIniDocument& doc)
{
    CMemoryProfileStore store;
    for (const CIniSection& section : doc.Sections())
        for (const CIniEntry& entry : section.m_aEntries)
            if (entry.m_nKind == CIniEntry::VALUE)
                store.WriteString(section.m_sName, entry.m_sName, entry.m_sValue);
    COptions options(&store);
    for (COptions::COptElementBase* group : options.m_aGroups)
        for (const auto& info : group->m_aInfo)
            if (info.m_nType == OPT_BOOL) {
                // A flag must hold 0 or 1 whatever its stored text says.
                unsigned char raw;
                std::memcpy(&raw, info.m_pField, 1);
                if (raw > 1)
                    Fail(info.m_sName + " loaded as a flag holding " + std::to_string(raw));
            }
}

void CheckStrictOptionsFile(std::string_view bytes)
{
    COptions options;
    std::vector<std::string> errors;
    const bool clean = qmcli::ApplyOptionsText(bytes, "fuzz.ini", options, errors);
    if (clean != errors.empty())
        Fail("ApplyOptionsText's result disagrees with its errors");
    for (const std::string& error : errors)
        if (error.empty() || error.find('\n') != std::string::npos)
            Fail("an options file error is not one line: " + error);
    if (!clean)
        return;
    const std::string written = qmcli::FormatOptionsText(options);
    COptions reread;
    std::vector<std::string> again;
    if (!qmcli::ApplyOptionsText(written, "written.ini", reread, again))
        Fail("the written options do not read back: " + again[0]);
    if (qmcli::FormatOptionsText(reread) != written)
        Fail("the written options read back different");
}

std::string ReadWhole(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder of this process's own for the file store, made on first use and
// removed with everything in it when the process exits (libFuzzer ends its
// runs with exit, which destroys statics). The removal is the destructor of
// the static that holds the path, so it cannot run after the path is gone.
class CScratchFolder
{
public:
    CScratchFolder()
    {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        m_Path = base / ("quillmark-fuzz-store-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_Path);
    }
    ~CScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_Path, ec);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_Path; }

private:
    std::filesystem::path m_Path;
};

const std::filesystem::path& ScratchFolder()
{
    static const CScratchFolder folder;
    return folder.Path();
}

void CheckFileStore(std::string_view bytes, const CIniDocument& original, bool hadMalformed)
{
    const std::filesystem::path folder = ScratchFolder();
    const std::string path = (folder / "Quillmark.ini").string();
    std::error_code ec;
    std::filesystem::remove(path + ".bad", ec);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    {
        CIniProfileStore store(path, [](const std::string&) {});
        {
            COptions options(&store);
            options.m_General.m_nLeftMargin = 3; // a change to save
        }
        if (!store.Flush())
            Fail("flush failed: " + store.LastError());
    }
    const CIniDocument saved(ParseIni(ReadWhole(path)));
    for (const CIniSection& section : original.Sections()) {
        if (section.m_sName.rfind("Options\\", 0) == 0 || !RoundTrips(section.m_sName))
            continue; // the options rewrite their own sections
        for (const CIniEntry& entry : section.m_aEntries) {
            if (entry.m_nKind != CIniEntry::VALUE || !RoundTrips(entry.m_sValue))
                continue;
            const std::string* value = saved.Find(section.m_sName, entry.m_sName);
            if (!value || *value != entry.m_sValue)
                Fail("saving lost [" + section.m_sName + "] " + entry.m_sName);
        }
    }
    const std::string* margin = saved.Find("Options\\CGeneral", "m_nLeftMargin");
    if (!margin || *margin != "3")
        Fail("saving lost the left margin");
    if (hadMalformed && ReadWhole(path + ".bad") != bytes)
        Fail("the file with malformed lines was not kept whole as .bad");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput input(data, size);
    const bool useFile = (input.Byte() & 7) == 7;
    const std::string_view bytes = input.RestAsBytes();

    const CIniParseResult parsed = ParseIni(bytes);
    const CIniDocument doc(parsed);
    CheckRoundTrip(doc);
    CheckLenientLoad(doc);
    CheckStrictOptionsFile(bytes);
    if (useFile)
        CheckFileStore(bytes, doc, !parsed.Clean());
    return 0;
}
