// The settings file's parser over any bytes, and the writer's round trip:
// whatever parses is written as a text that parses back without a fault to
// the same tree (the same text when written again), and every bad line
// reported lies within the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/registry_tree.h"

namespace {

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<RegistryParseError> errors;
  const RegistryTree tree = RegistryTree::ParseKeepingGood(text, errors);
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n';
  for (const RegistryParseError& error : errors) Require(error.line >= 1 && error.line <= lines);

  const std::string written = tree.Format();
  std::vector<RegistryParseError> again;
  const RegistryTree reread = RegistryTree::ParseKeepingGood(written, again);
  Require(again.empty());
  Require(reread.Format() == written);

  // A text the strict parser takes has no bad line, and the reverse.
  Require(RegistryTree::Parse(text).has_value() == errors.empty());
  return 0;
}
