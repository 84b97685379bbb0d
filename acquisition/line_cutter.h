// Cuts the receiver's byte stream into lines.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Fed the bytes of each read in turn, it calls back once per complete line:
// the bytes before a CR LF, converted from the ANSI code page to a wide
// string without the CR LF. Only CR LF ends a line; a lone CR or LF is part
// of the text. A line may span any number of reads, and a CR that ends one
// read followed by an LF that starts the next is a line end too. Each piece
// of a line that lies within one read is converted up to its first 0 byte;
// the bytes after that 0 are lost. A line longer than kMaxLine characters
// keeps only its last kMaxLine, so memory stays bounded whatever arrives.
class CLineCutter {
 public:
  static constexpr std::size_t kMaxLine = 1024;

  // `onLine` must not feed this cutter again.
  explicit CLineCutter(std::function<void(const std::wstring&)> onLine);

  void Feed(const char* pData, std::size_t nCount);

 private:
  void AppendPiece(const char* pData, std::size_t nCount);
  void EndLine();

  std::function<void(const std::wstring&)> m_onLine;
  std::wstring m_strHeld;         // the line so far
  bool m_bPendingCR = false;      // the last read ended with a CR not yet in m_strHeld
  bool m_bPendingCRLost = false;  // that CR came after a 0 byte of its piece
};
