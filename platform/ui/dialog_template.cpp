#include "platform/ui/dialog_template.h"

namespace {

// Little-endian reads that fail instead of running past the end.
class Reader {
 public:
  explicit Reader(std::span<const BYTE> bytes) : m_bytes(bytes) {}

  bool Word(WORD& value) {
    if (m_offset + 2 > m_bytes.size()) return false;
    value = static_cast<WORD>(m_bytes[m_offset] | (m_bytes[m_offset + 1] << 8));
    m_offset += 2;
    return true;
  }
  bool Short(short& value) {
    WORD w = 0;
    if (!Word(w)) return false;
    value = static_cast<short>(w);
    return true;
  }
  bool Dword(DWORD& value) {
    WORD low = 0;
    WORD high = 0;
    if (!Word(low) || !Word(high)) return false;
    value = MAKELONG(low, high);
    return true;
  }
  bool String(std::wstring& text) {
    text.clear();
    for (WORD c = 0;;) {
      if (!Word(c)) return false;
      if (c == 0) return true;
      text += static_cast<wchar_t>(c);
    }
  }
  bool NameOrOrdinalField(NameOrOrdinal& field) {
    WORD first = 0;
    if (m_offset + 2 > m_bytes.size()) return false;
    first = static_cast<WORD>(m_bytes[m_offset] | (m_bytes[m_offset + 1] << 8));
    if (first == 0xFFFF) {
      m_offset += 2;
      field.isOrdinal = true;
      return Word(field.ordinal);
    }
    field.isOrdinal = false;
    return String(field.name);
  }
  bool Skip(std::size_t count) {
    if (m_offset + count > m_bytes.size()) return false;
    m_offset += count;
    return true;
  }
  bool AlignDword() { return Skip((4 - m_offset % 4) % 4); }

 private:
  std::span<const BYTE> m_bytes;
  std::size_t m_offset = 0;
};

}  // namespace

std::optional<DialogTemplate> DialogTemplate::Parse(std::span<const BYTE> bytes) {
  Reader in(bytes);
  DialogTemplate dialog{};
  WORD count = 0;
  NameOrOrdinal title;
  if (!in.Dword(dialog.style) || !in.Dword(dialog.exStyle) || !in.Word(count) || !in.Short(dialog.x) ||
      !in.Short(dialog.y) || !in.Short(dialog.cx) || !in.Short(dialog.cy) || !in.NameOrOrdinalField(dialog.menu) ||
      !in.NameOrOrdinalField(dialog.windowClass) || !in.NameOrOrdinalField(title)) {
    return std::nullopt;
  }
  dialog.title = title.name;
  if ((dialog.style & DS_SETFONT) != 0) {
    NameOrOrdinal face;
    if (!in.Word(dialog.pointSize) || !in.NameOrOrdinalField(face)) return std::nullopt;
    dialog.faceName = face.name;
  }
  for (WORD i = 0; i < count; ++i) {
    DialogItemTemplate item{};
    WORD extra = 0;
    if (!in.AlignDword() || !in.Dword(item.style) || !in.Dword(item.exStyle) || !in.Short(item.x) ||
        !in.Short(item.y) || !in.Short(item.cx) || !in.Short(item.cy) || !in.Word(item.id) ||
        !in.NameOrOrdinalField(item.windowClass) || !in.NameOrOrdinalField(item.title) || !in.Word(extra)) {
      return std::nullopt;
    }
    // The creation-data size counts its own word; 0 is the word alone.
    if (extra > 2 && !in.Skip(extra - 2u)) return std::nullopt;
    dialog.items.push_back(std::move(item));
  }
  return dialog;
}
