#include "platform/ui/edit_text.h"

#include <algorithm>

void EditText::Set(std::wstring text) {
  m_text = std::move(text);
  m_lineStarts.assign(1, 0);
  for (std::size_t i = 0; i + 1 < m_text.size(); ++i) {
    if (m_text[i] == L'\r' && m_text[i + 1] == L'\n') m_lineStarts.push_back(static_cast<int>(i + 2));
  }
}

int EditText::LineCount() const { return static_cast<int>(m_lineStarts.size()); }

int EditText::LineIndex(int line) const {
  if (line < 0 || line >= LineCount()) return -1;
  return m_lineStarts[static_cast<std::size_t>(line)];
}

int EditText::LineFromChar(int index) const {
  int clamped = Clamp(index);
  auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), clamped);
  return static_cast<int>(it - m_lineStarts.begin()) - 1;
}

int EditText::Clamp(int index) const {
  int length = static_cast<int>(m_text.size());
  if (index < 0 || index > length) return length;
  return index;
}

std::wstring EditText::DisplayText() const {
  std::wstring shown;
  shown.reserve(m_text.size());
  for (std::size_t i = 0; i < m_text.size(); ++i) {
    wchar_t c = m_text[i];
    if (c == L'\r' && i + 1 < m_text.size() && m_text[i + 1] == L'\n') {
      shown += L'\n';
      ++i;
    } else if (c == L'\r' || c == L'\n') {
      shown += L' ';
    } else {
      shown += c;
    }
  }
  return shown;
}

int EditText::ToDisplay(int index) const {
  int clamped = Clamp(index);
  // Every line break before the index is one character shorter on screen;
  // an index between CR and LF sits on the break.
  int line = LineFromChar(clamped);
  int position = clamped - line;
  if (clamped > 0 && clamped < static_cast<int>(m_text.size()) && m_text[static_cast<std::size_t>(clamped)] == L'\n' &&
      m_text[static_cast<std::size_t>(clamped - 1)] == L'\r') {
    position = clamped - 1 - line;
  }
  return position;
}

bool EditText::FindTrimAndAppend(const std::wstring& before, const std::wstring& after, std::size_t* trim) {
  if (before.empty()) {
    *trim = 0;
    return true;
  }
  // The kept part is a suffix of `before` and a prefix of `after`; try the
  // longest first. A 1 KB box's texts make this cheap even at its worst.
  for (std::size_t start = 0; start < before.size(); ++start) {
    const std::size_t kept = before.size() - start;
    if (kept > after.size()) continue;
    if (before.compare(start, kept, after, 0, kept) == 0) {
      *trim = start;
      return true;
    }
  }
  return false;
}

bool EditText::FindTrimPrefixAndAppend(const std::wstring& before, const std::wstring& after, std::size_t* trim,
                                       std::size_t* prefix) {
  // A short prefix only: a longer one is a new text, shown from the top.
  constexpr std::size_t kLongest = 4;
  for (std::size_t length = 0; length <= kLongest && length < after.size(); ++length) {
    if (length > 0 && after[length - 1] == L'\n') break;
    if (FindTrimAndAppend(before, after.substr(length), trim)) {
      *prefix = length;
      return true;
    }
  }
  return false;
}
