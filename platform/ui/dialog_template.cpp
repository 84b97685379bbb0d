#include "platform/ui/dialog_template.h"

#include "platform/core/byte_reader.h"

namespace {

// A name-or-ordinal field: 0xFFFF and a 16-bit ordinal, or a string.
NameOrOrdinal ReadNameOrOrdinal(ByteReader& in) {
  NameOrOrdinal field;
  if (in.PeekU16() == 0xFFFF) {
    in.Skip(2);
    field.isOrdinal = true;
    field.ordinal = in.U16();
  } else {
    field.name = in.Utf16z();
  }
  return field;
}

}  // namespace

std::optional<DialogTemplate> DialogTemplate::Parse(std::span<const BYTE> bytes) {
  ByteReader in(bytes);
  DialogTemplate dialog{};
  dialog.style = in.U32();
  dialog.exStyle = in.U32();
  const WORD count = in.U16();
  dialog.x = in.I16();
  dialog.y = in.I16();
  dialog.cx = in.I16();
  dialog.cy = in.I16();
  dialog.menu = ReadNameOrOrdinal(in);
  dialog.windowClass = ReadNameOrOrdinal(in);
  dialog.title = ReadNameOrOrdinal(in).name;
  if ((dialog.style & DS_SETFONT) != 0) {
    dialog.pointSize = in.U16();
    dialog.faceName = ReadNameOrOrdinal(in).name;
  }
  for (WORD i = 0; i < count && in.Ok(); ++i) {
    DialogItemTemplate item{};
    in.Align4();
    item.style = in.U32();
    item.exStyle = in.U32();
    item.x = in.I16();
    item.y = in.I16();
    item.cx = in.I16();
    item.cy = in.I16();
    item.id = in.U16();
    item.windowClass = ReadNameOrOrdinal(in);
    item.title = ReadNameOrOrdinal(in);
    // The creation-data size counts its own word; 0 is the word alone.
    const WORD extra = in.U16();
    if (extra > 2) in.Skip(extra - 2u);
    dialog.items.push_back(std::move(item));
  }
  if (!in.Ok()) return std::nullopt;
  return dialog;
}
