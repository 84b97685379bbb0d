// A drop-down list that keeps its entries as the combo box does, with the
// calls the port list makes of it.
#pragma once

#include <cwctype>
#include <string>
#include <vector>

#include "platform/core/win_types.h"

class FakeComboBox {
 public:
  int AddString(LPCWSTR text) {
    entries.emplace_back(text);
    return static_cast<int>(entries.size()) - 1;
  }
  int InsertString(int index, LPCWSTR text) {
    if (index < 0 || index > static_cast<int>(entries.size())) return -1;
    entries.insert(entries.begin() + index, text);
    if (selection >= index) ++selection;
    return index;
  }
  int DeleteString(UINT index) {
    if (index >= entries.size()) return -1;
    entries.erase(entries.begin() + index);
    const int removed = static_cast<int>(index);
    if (selection == removed) selection = -1;
    if (selection > removed) --selection;
    return static_cast<int>(entries.size());
  }
  int GetCurSel() const { return selection; }
  int SetCurSel(int index) {
    selection = index >= 0 && index < static_cast<int>(entries.size()) ? index : -1;
    return selection;
  }
  // The whole text compared without regard to letter case.
  int FindStringExact(int, LPCWSTR text) const {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (Lower(entries[i]) == Lower(text)) return static_cast<int>(i);
    }
    return -1;
  }

  std::vector<std::wstring> entries;
  int selection = -1;

 private:
  static std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
  }
};
