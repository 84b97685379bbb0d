// The field array of sentence decoding and SplitFields, which fills it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A list of wide strings that keeps its strings' storage when it is emptied,
// so that splitting line after line allocates only while the list or one of
// its strings grows beyond what an earlier line needed.
class CFieldArray {
 public:
  std::size_t GetSize() const { return m_nCount; }
  const std::wstring& operator[](std::size_t nIndex) const { return m_items[nIndex]; }

  // Empties the list; the strings' storage stays for reuse.
  void RemoveAll() { m_nCount = 0; }

  // Appends an empty string and returns it for filling.
  std::wstring& Add();

 private:
  std::vector<std::wstring> m_items;
  std::size_t m_nCount = 0;
};

// Cuts `text` at every `separator` into `fields`, after emptying it: empty
// fields are kept, so there is always one field more than separators, and the
// last field runs to the end of the text.
void SplitFields(std::wstring_view text, wchar_t separator, CFieldArray& fields);
