// The corpus of real SQL files that the property tests walk. It is found
// through the environment variable QUILLMARK_CORPUS_DIR, else the CMake cache
// variable of the same name; a test skips itself when it is absent.
#pragma once

#include "TestUtf.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corpus
{

inline std::filesystem::path Dir()
{
    if (const char* env = std::getenv("QUILLMARK_CORPUS_DIR"); env && *env)
        return env;
    return QUILLMARK_CORPUS_DIR;
}

// The SQL files below the corpus folder, sorted.
inline std::vector<std::filesystem::path> SqlFiles()
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    if (!std::filesystem::is_directory(Dir(), error))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Dir()))
    {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && (ext == ".sql" || ext == ".pks" || ext == ".pkb" || ext == ".tps" || ext == ".tpb"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// UTF-8, or ISO-8859-1 for the few files that are not valid UTF-8.
inline std::u16string ReadText(const std::filesystem::path& path)
{
    const std::string bytes = ReadBytes(path);
    const std::u16string text = Utf8ToUtf16(bytes);
    if (text.find(u'\uFFFD') == std::u16string::npos || bytes.find("\xEF\xBF\xBD") != std::string::npos)
        return text;
    return std::u16string(bytes.begin(), bytes.end());
}

} // namespace corpus
