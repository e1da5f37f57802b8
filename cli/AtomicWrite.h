// Rewriting a file in place without ever leaving it half-written: the new
// bytes go to a temporary file beside it, which takes the old file's
// permissions and owner and is then renamed over it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qmcli
{

// What a file looked like when it was read, so that a rewrite can notice
// that someone else changed it meanwhile.
struct CFileStamp
{
    uint64_t m_nSize = 0;
    int64_t m_nModSec = 0;
    int64_t m_nModNsec = 0;
    bool m_bValid = false;
};

// The stamp of a file now (invalid when it cannot be examined).
CFileStamp StampOf(const std::string& path);

// Replaces the file at path (a symbolic link is followed: its target is
// replaced) by bytes. Fails, leaving the file as it was, when the file's
// stamp differs from `expected` (if valid) or any step fails; the error is a
// short reason ("No space left on device").
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                           const CFileStamp& expected, std::string& error);

} // namespace qmcli
