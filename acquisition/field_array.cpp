#include "acquisition/field_array.h"

std::wstring& CFieldArray::Add() {
  if (m_nCount == m_items.size()) {
    m_items.emplace_back();
  } else {
    m_items[m_nCount].clear();
  }
  return m_items[m_nCount++];
}

void SplitFields(std::wstring_view text, wchar_t separator, CFieldArray& fields) {
  fields.RemoveAll();
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    if (end == std::wstring_view::npos) {
      fields.Add().assign(text.substr(start));
      return;
    }
    fields.Add().assign(text.substr(start, end - start));
    start = end + 1;
  }
}
