// The dialog-initialisation data of the Setup templates: the strings the
// framework adds to the speed combo box when the page is created.
#pragma once

#include <span>
#include <vector>

#include "platform/core/win_types.h"

// The combo box's add-string request, as recorded in the data.
constexpr WORD kDialogInitAddString = 0x0403;

struct DialogInitRecord {
  WORD controlId;
  WORD message;
  const char* text;  // 8-bit characters
};

// The speeds offered by the Setup page, in list order.
std::span<const DialogInitRecord> SetupDialogInit();

// Records of {control id, message, length with the terminating zero, text
// with its zero}, packed without padding and ended by a zero word.
std::vector<BYTE> BuildDialogInit(std::span<const DialogInitRecord> records);
