#include "TextFileBase.h"

#include "PosixFile.h"

CTextFileBase::CTextFileBase(std::unique_ptr<CFile> pFile, unsigned nCodePage)
    : m_pFile(pFile ? std::move(pFile) : std::make_unique<CPosixFile>()),
      m_nCodePage(nCodePage)
{
}

CTextFileBase::~CTextFileBase()
{
    Close();
}

bool CTextFileBase::OpenFile(const std::filesystem::path& path, unsigned nFlags)
{
    m_sName = path.string();
    if (m_pFile->IsOpen())
        return true;
    return m_pFile->Open(path, nFlags);
}

bool CTextFileBase::Close()
{
    m_bAtEnd = true;
    if (m_pFile)
    {
        if (m_bOwnsFile && m_pFile->IsOpen())
        {
            if (m_sError.empty())
                m_pFile->Close();
            else
                m_pFile->Abandon();
        }
        if (m_pFile->Failed())
            SetError(m_pFile->GetError());
        if (m_bOwnsFile)
            m_pFile.reset();
    }
    return !Failed();
}

bool CTextFileBase::Failed() const
{
    return !m_sError.empty() || (m_pFile && m_pFile->Failed());
}

std::string CTextFileBase::GetError() const
{
    if (m_sError.empty() && m_pFile)
        return m_pFile->GetError();
    return m_sError;
}

void CTextFileBase::SetError(const std::string& sError)
{
    if (m_sError.empty())
        m_sError = sError;
}

CCodePage* CTextFileBase::GetCodePage()
{
    if (!m_pCodePage || m_pCodePage->GetCodePage() != m_nCodePage)
        m_pCodePage = std::make_unique<CCodePage>(m_nCodePage);
    if (!m_pCodePage->IsValid())
    {
        SetError(m_sName + ": " + m_pCodePage->GetError());
        return nullptr;
    }
    return m_pCodePage.get();
}
