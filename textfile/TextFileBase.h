// What the text-file reader and writer share: the file object, the 1024-byte
// buffer through which every byte passes, and the encoding settings.
#pragma once

#include "File.h"
#include "TextEncoding.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CTextFileBase
{
public:
    static constexpr int kBufferSize = 1024;

    virtual ~CTextFileBase();
    CTextFileBase(const CTextFileBase&) = delete;
    CTextFileBase& operator=(const CTextFileBase&) = delete;

    // Closes the file and deletes the file object. Calling it again does nothing.
    // False when anything failed on the way (the reason is in GetError).
    bool Close();

    bool IsOpen() const { return m_pFile && m_pFile->IsOpen(); }
    TextEncoding GetEncoding() const { return m_nEncoding; }
    // Whether opening, reading, writing or converting failed.
    bool Failed() const;
    // The first failure, as "path: reason"; empty when nothing failed.
    std::string GetError() const;

    TextEncoding m_nEncoding = ENC_ANSI;
    std::unique_ptr<CFile> m_pFile;
    bool m_bOwnsFile = true;   // Close closes and deletes the file object
    bool m_bAtEnd = false;     // reader: the data is used up (or the file did not open)
    std::array<unsigned char, kBufferSize> m_ioBuffer{};
    std::int32_t m_nBufferPos = -1; // last byte consumed (reader) or stored (writer)
    std::int32_t m_nBufferFill = 0; // reader: bytes the last platform read delivered
    char m_cDefaultChar = 0;   // writer, ANSI: stands for unrepresentable characters; 0 is '?'
    std::uint32_t m_nCodePage = kCodePageLocale; // for ENC_ANSI

protected:
    CTextFileBase(std::unique_ptr<CFile> pFile, unsigned nCodePage);
    // Opens the file object unless it is open already.
    bool OpenFile(const std::filesystem::path& path, unsigned nFlags);
    void SetError(const std::string& sError);
    // The converter for m_nCodePage, made again when the code page has changed;
    // null (with the error recorded) for a code page that cannot be converted.
    CCodePage* GetCodePage();

    std::string m_sName; // the path, for messages

private:
    std::string m_sError;
    std::unique_ptr<CCodePage> m_pCodePage;
};
