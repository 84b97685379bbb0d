#include "resources/string_blocks.h"

#include <array>
#include <map>
#include <string>

#include "resources/resource_writer.h"

std::vector<StringBlock> BuildStringBlocks(std::span<const StringTableEntry> entries) {
  std::map<WORD, std::array<std::u16string, 16>> blocks;
  for (const StringTableEntry& entry : entries) {
    blocks[static_cast<WORD>((entry.id >> 4) + 1)][entry.id & 15] = ResourceWriter::ToUtf16(entry.text);
  }
  std::vector<StringBlock> result;
  for (const auto& [blockId, strings] : blocks) {
    ResourceWriter out;
    for (const std::u16string& text : strings) {
      out.Word(static_cast<WORD>(text.size()));
      for (char16_t unit : text) out.Word(static_cast<WORD>(unit));
    }
    result.push_back({blockId, out.Take()});
  }
  return result;
}
