// A byte stream for the language server's tests: pieces handed out in turn,
// each cut into parts of at most `split` bytes; an empty piece is a pause in
// which nothing comes (when the reader is willing to wait).
#pragma once

#include "MessageFraming.h"

#include <string>
#include <vector>

class CPausingSource : public qmcli::CByteSource
{
public:
    explicit CPausingSource(const std::vector<std::string>& pieces, size_t split = 1 << 16)
    {
        for (const std::string& piece : pieces)
        {
            if (piece.empty())
                m_aPieces.push_back("");
            for (size_t i = 0; i < piece.size(); i += split)
                m_aPieces.push_back(piece.substr(i, split));
        }
    }
    Result Read(std::string& out, int waitMs) override
    {
        while (m_nNext < m_aPieces.size() && m_aPieces[m_nNext].empty())
        {
            ++m_nNext;
            if (waitMs >= 0)
                return READ_IDLE;
        }
        if (m_nNext == m_aPieces.size())
            return READ_END;
        out += m_aPieces[m_nNext++];
        return READ_DATA;
    }

private:
    std::vector<std::string> m_aPieces;
    size_t m_nNext = 0;
};
