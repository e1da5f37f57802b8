// A fresh folder for one test, removed with everything in it afterwards, so
// that no test touches the user's own files or another test's.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

class CTempFolder
{
public:
    CTempFolder()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "quillmark-test-XXXXXX").string();
        if (::mkdtemp(tmpl.data()))
            m_sPath = tmpl;
    }
    ~CTempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_sPath, ec);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_sPath; }
    std::string File(const std::string& name) const { return m_sPath + "/" + name; }

private:
    std::string m_sPath;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
