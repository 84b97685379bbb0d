// The string table in the handheld's string-block form, which LoadStringW
// reads: block n holds the ids (n - 1) * 16 to (n - 1) * 16 + 15.
#pragma once

#include <span>
#include <vector>

#include "resources/string_table.h"

struct StringBlock {
  WORD blockId;
  std::vector<BYTE> data;
};

// One block for every run of 16 ids holding at least one entry, in id
// order. Each block is sixteen strings, each a 16-bit length in UTF-16 code
// units followed by the units, without terminator; absent ids have length 0.
std::vector<StringBlock> BuildStringBlocks(std::span<const StringTableEntry> entries);
