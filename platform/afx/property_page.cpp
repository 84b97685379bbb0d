#include "platform/afx/property_page.h"

#include <optional>

#include "platform/afx/win_app.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/window_api.h"

namespace {

std::span<const BYTE> ResourceBytes(UINT id, LPCWSTR type) {
  HINSTANCE instance = AfxGetResourceHandle();
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(id), type);
  const auto* data = static_cast<const BYTE*>(LoadResource(instance, resource));
  if (data == nullptr) return {};
  return {data, SizeofResource(instance, resource)};
}

std::wstring TemplateTitle(UINT id) {
  std::optional<DialogTemplate> dialog = DialogTemplate::Parse(ResourceBytes(id, RT_DIALOG));
  return dialog ? dialog->title : std::wstring();
}

// The dialog-initialisation texts are in the ANSI code page (Windows-1252):
// bytes 0x80-0x9F have their own characters, the rest are Latin-1.
wchar_t FromCodePage1252(BYTE byte) {
  static constexpr wchar_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<wchar_t>(byte);
}

// Runs the template's dialog-initialisation resource: records of control
// id, message, data length and data, ended by a zero id. Only the combo
// box's add-string records are known; a record that runs past the end
// stops the walk.
void ExecuteDlgInit(HWND dialog, UINT templateId) {
  std::span<const BYTE> data = ResourceBytes(templateId, RT_DLGINIT);
  std::size_t at = 0;
  auto word = [&](std::size_t offset) { return static_cast<WORD>(data[offset] | (data[offset + 1] << 8)); };
  while (at + 2 <= data.size()) {
    WORD control = word(at);
    if (control == 0 || at + 8 > data.size()) return;
    WORD message = word(at + 2);
    DWORD length = MAKELONG(word(at + 4), word(at + 6));
    at += 8;
    if (length > data.size() - at) return;
    if (message == DLGINIT_CB_ADDSTRING) {
      std::wstring text;
      for (DWORD i = 0; i < length && data[at + i] != 0; ++i) text += FromCodePage1252(data[at + i]);
      ::SendDlgItemMessageW(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    at += length;
  }
}

}  // namespace

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : m_nIDTemplate(templateId), m_bFirstSetActive(true) {
  if (captionId != 0) {
    const wchar_t* caption = nullptr;
    int length = ::LoadStringW(AfxGetResourceHandle(), captionId, reinterpret_cast<LPWSTR>(&caption), 0);
    if (caption != nullptr) m_strCaption.assign(caption, static_cast<std::size_t>(length));
  } else {
    m_strCaption = TemplateTitle(templateId);
  }
}

CPropertyPage::~CPropertyPage() = default;

BOOL CPropertyPage::OnInitDialog() {
  ExecuteDlgInit(m_hWnd, m_nIDTemplate);
  UpdateData(FALSE);
  return TRUE;
}

void CPropertyPage::OnOK() {}

BOOL CPropertyPage::OnSetActive() {
  if (m_bFirstSetActive) {
    m_bFirstSetActive = false;
  } else {
    UpdateData(FALSE);
  }
  return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

HWND CPropertyPage::CreatePageWindow(HWND sheet) {
  m_bFirstSetActive = true;
  return ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), sheet, &CWnd::AfxWndProc,
                              reinterpret_cast<LPARAM>(static_cast<CWnd*>(this)));
}

UINT CPropertyPage::TemplateId() const { return m_nIDTemplate; }

const std::wstring& CPropertyPage::Caption() const { return m_strCaption; }

LRESULT CPropertyPage::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

const AFX_MSGMAP* CPropertyPage::GetThisMessageMap() {
  static const AFX_MSGMAP map{CWnd::GetThisMessageMap(),
                              {
                                  OnMessage(WM_INITDIALOG, &CPropertyPage::HandleInitDialog),
                              }};
  return &map;
}

const AFX_MSGMAP* CPropertyPage::GetMessageMap() const { return GetThisMessageMap(); }
