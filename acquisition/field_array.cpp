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
  const wchar_t* start = text.data();
  const wchar_t* const end = start + text.size();
  for (const wchar_t* p = start; p != end; ++p) {
    if (*p == separator) {
      fields.Add().assign(start, static_cast<std::size_t>(p - start));
      start = p + 1;
    }
  }
  fields.Add().assign(start, static_cast<std::size_t>(end - start));
}
