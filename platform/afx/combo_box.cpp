#include "platform/afx/combo_box.h"

namespace {

int Result(LRESULT result) { return static_cast<int>(result); }

}  // namespace

int CComboBox::AddString(LPCWSTR text) { return Result(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }

int CComboBox::InsertString(int index, LPCWSTR text) {
  return Result(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}

int CComboBox::DeleteString(UINT index) { return Result(SendMessage(CB_DELETESTRING, index, 0)); }

int CComboBox::GetCount() const { return Result(SendMessage(CB_GETCOUNT, 0, 0)); }

int CComboBox::GetCurSel() const { return Result(SendMessage(CB_GETCURSEL, 0, 0)); }

int CComboBox::SetCurSel(int index) { return Result(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index), 0)); }

int CComboBox::GetLBTextLen(int index) const {
  return Result(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
}

int CComboBox::GetLBText(int index, LPWSTR text) const {
  return Result(SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}

void CComboBox::GetLBText(int index, std::wstring& text) const {
  int length = GetLBTextLen(index);
  if (length < 0) {
    text.clear();
    return;
  }
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  GetLBText(index, buffer.data());
  buffer.resize(static_cast<std::size_t>(length));
  text = std::move(buffer);
}

int CComboBox::FindStringExact(int startAfter, LPCWSTR text) const {
  return Result(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
}

int CComboBox::SelectString(int startAfter, LPCWSTR text) {
  return Result(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
}
