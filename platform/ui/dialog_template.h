// A classic dialog template read from its binary form: the header, the
// title, the font, and the items with their class, title, rectangle, id and
// style. Every read is bounds-checked; a template that runs past its end is
// refused.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

// A name-or-ordinal field: 0xFFFF and a 16-bit ordinal, or a string.
struct NameOrOrdinal {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::wstring name;
};

struct DialogItemTemplate {
  DWORD style;
  DWORD exStyle;
  short x;
  short y;
  short cx;
  short cy;
  WORD id;
  NameOrOrdinal windowClass;
  NameOrOrdinal title;
};

struct DialogTemplate {
  DWORD style;
  DWORD exStyle;
  short x;
  short y;
  short cx;
  short cy;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::wstring title;
  WORD pointSize = 0;
  std::wstring faceName;
  std::vector<DialogItemTemplate> items;

  static std::optional<DialogTemplate> Parse(std::span<const BYTE> bytes);
};
