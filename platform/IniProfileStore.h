// The per-user settings store: an INI file (by default ConfigFilePath()),
// read once when the store is made and written back by Flush().
//
// Values that stand directly in the application key, such as "AppNameVer",
// live in the section with the empty name: the lines before the first
// "[section]" header of the file.
//
// Several processes share the file (the desktop app and clipboard runs), so a
// flush never writes this process's stale copy over theirs: under an exclusive
// lock on "<file>.lock" it re-reads the file, applies only this process's own
// changes (written values and deleted sections, in the order they were made),
// and replaces the file atomically (temporary file beside it, fsync, rename).
// A write of the value the file held when it was last read is no change, so a
// process that saves settings it never touched leaves another's edits alone.
//
// A file with malformed lines is used as far as it goes (every good line
// counts) and, before it is first overwritten, copied to "<file>.bad"; the
// user is told through the warning sink. A file that cannot be read is never
// overwritten.
#pragma once

#include "IniFile.h"
#include "ProfileStore.h"
#include "UserFolders.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class CIniProfileStore : public CProfileStore
{
public:
    // Receives each warning as one line of text without a line break.
    using WarningSink = std::function<void(const std::string&)>;

    // Loads the file at once. A missing file is an empty store; an unreadable
    // one is an empty store and a warning. An empty path gives a store held in
    // memory whose Flush() fails with a message.
    explicit CIniProfileStore(std::string path = ConfigFilePath(), WarningSink sink = {});
    // Flushes; a failure goes to the warning sink, since no caller can see it.
    ~CIniProfileStore() override;
    CIniProfileStore(const CIniProfileStore&) = delete;
    CIniProfileStore& operator=(const CIniProfileStore&) = delete;

    std::optional<std::string> GetString(const std::string& section,
                                         const std::string& name) const override;
    // A name the file cannot hold (see CIniDocument::IsWritableName) is not
    // stored and gives a warning.
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;
    void DeleteSection(const std::string& section) override;

    // Writes this process's changes into the file. True when they are in the
    // file (or there were none); false, with LastError() saying why, when the
    // file could not be read back or written. The old file is then untouched
    // and the changes stay pending for the next Flush().
    bool Flush();
    const std::string& LastError() const { return m_sLastError; }

    // How long Flush() waits for another process's lock before it fails.
    void SetLockTimeout(std::chrono::milliseconds timeout) { m_lockTimeout = timeout; }

    bool HasPendingChanges() const { return !m_aChanges.empty(); }
    const std::string& Path() const { return m_sPath; }
    // Every warning given so far, also those sent to the sink.
    const std::vector<std::string>& Warnings() const { return m_aWarnings; }

    // A sink that prints "quillmark: <warning>" to standard error.
    static WarningSink StandardErrorSink(std::string prefix = "quillmark: ");

private:
    struct CChange
    {
        bool m_bDeleteSection;
        std::string m_sSection;
        std::string m_sName;
        std::string m_sValue;
    };

    enum class ReadStatus { OK, MISSING, FAILED };
    // Reads and parses the file; FAILED sets m_sLastError.
    ReadStatus ReadFile(std::string& bytes, CIniParseResult& parsed);
    void Warn(const std::string& text);
    void WarnMalformed(const CIniParseResult& parsed);
    bool KeepBadCopy(const std::string& bytes);
    bool WriteAtomically(const std::string& text);
    std::string TargetPath() const;

    std::string m_sPath;
    WarningSink m_sink;
    CIniDocument m_doc;  // what this process sees: the file plus its own changes
    CIniDocument m_base; // the file as last read or written
    std::vector<CChange> m_aChanges;
    std::vector<std::string> m_aWarnings;
    std::string m_sLastError;
    std::chrono::milliseconds m_lockTimeout{10000};
    std::string m_sLoadedBytes; // the file's bytes as last read or written
};
