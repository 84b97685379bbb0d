#include "acquisition/line_cutter.h"

#include <cstring>
#include <utility>

#include "platform/core/codepage.h"

CLineCutter::CLineCutter(std::function<void(const std::wstring&)> onLine) : m_onLine(std::move(onLine)) {}

void CLineCutter::Feed(const char* pData, std::size_t nCount) {
  if (nCount == 0) {
    return;
  }
  std::size_t pos = 0;
  if (m_bPendingCR) {
    m_bPendingCR = false;
    if (pData[0] == '\n') {
      EndLine();
      pos = 1;
    } else if (!m_bPendingCRLost) {
      AppendPiece("\r", 1);
    }
  }
  for (;;) {
    const char* cr = nullptr;
    for (std::size_t from = pos; from < nCount;) {
      const auto* found = static_cast<const char*>(std::memchr(pData + from, '\r', nCount - from));
      if (found == nullptr || found + 1 == pData + nCount) {
        break;
      }
      if (found[1] == '\n') {
        cr = found;
        break;
      }
      from = static_cast<std::size_t>(found - pData) + 1;
    }
    if (cr == nullptr) {
      break;
    }
    AppendPiece(pData + pos, static_cast<std::size_t>(cr - (pData + pos)));
    EndLine();
    pos = static_cast<std::size_t>(cr - pData) + 2;
  }

  // The rest of the read extends the held line. A CR at its very end may be
  // the first half of a CR LF that the next read completes.
  std::size_t rest = nCount - pos;
  if (rest > 0 && pData[nCount - 1] == '\r') {
    --rest;
    m_bPendingCR = true;
    m_bPendingCRLost = std::memchr(pData + pos, 0, rest) != nullptr;
  }
  AppendPiece(pData + pos, rest);
}

void CLineCutter::AppendPiece(const char* pData, std::size_t nCount) {
  if (const void* zero = std::memchr(pData, 0, nCount)) {
    nCount = static_cast<std::size_t>(static_cast<const char*>(zero) - pData);
  }
  // Only the last kMaxLine characters can survive; one byte is one character.
  if (nCount > kMaxLine) {
    pData += nCount - kMaxLine;
    nCount = kMaxLine;
  }
  if (nCount > 0) {
    const std::size_t old = m_strHeld.size();
    m_strHeld.resize(old + nCount);
    MultiByteToWideChar(CP_ACP, 0, pData, static_cast<int>(nCount), &m_strHeld[old], static_cast<int>(nCount));
  }
  if (m_strHeld.size() > kMaxLine) {
    m_strHeld.erase(0, m_strHeld.size() - kMaxLine);
  }
}

void CLineCutter::EndLine() {
  m_onLine(m_strHeld);
  m_strHeld.clear();
}
