// The per-user settings store as the options and the app see it: sections of
// named text values. The real store is an INI file (platform/IniProfileStore);
// tests and the command line use the in-memory and read-only stores below.
// The section with the empty name holds the values that belong to no section,
// such as "AppNameVer".
#pragma once

#include <map>
#include <optional>
#include <string>

class CProfileStore
{
public:
    virtual ~CProfileStore() = default;

    // The value's text (UTF-8), or nothing when the section or value is absent.
    virtual std::optional<std::string> GetString(const std::string& section,
                                                 const std::string& name) const = 0;
    virtual void WriteString(const std::string& section, const std::string& name,
                             const std::string& value) = 0;
    // Removes a whole section and every value in it.
    virtual void DeleteSection(const std::string& section) = 0;
};

// A store held in memory only; the command line and the tests use it.
class CMemoryProfileStore : public CProfileStore
{
public:
    std::optional<std::string> GetString(const std::string& section,
                                         const std::string& name) const override
    {
        auto s = m_aSections.find(section);
        if (s == m_aSections.end())
            return std::nullopt;
        auto v = s->second.find(name);
        if (v == s->second.end())
            return std::nullopt;
        return v->second;
    }
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override
    {
        m_aSections[section][name] = value;
    }
    void DeleteSection(const std::string& section) override { m_aSections.erase(section); }

    using Section = std::map<std::string, std::string>;
    std::map<std::string, Section> m_aSections;
};

// Reads through to another store and drops every write, so that a run can use
// the user's saved options without ever changing them.
class CReadOnlyProfileStore : public CProfileStore
{
public:
    explicit CReadOnlyProfileStore(const CProfileStore& source) : m_source(source) {}
    std::optional<std::string> GetString(const std::string& section,
                                         const std::string& name) const override
    {
        return m_source.GetString(section, name);
    }
    void WriteString(const std::string&, const std::string&, const std::string&) override {}
    void DeleteSection(const std::string&) override {}

private:
    const CProfileStore& m_source;
};
