// The keys and values of HKEY_CURRENT_USER in memory, and their text in the
// Windows ".reg" export format that a person can read and edit:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Tavrin\Zelmora]
//   "PortName"="COM1:"
//   "BaudRate"=dword:000012c0
//
// Key paths are relative to HKEY_CURRENT_USER ("" is the root itself), their
// components separated by one backslash. Key and value names compare without
// regard to letter case, as the registry's do, and keep the spelling they were
// created with.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/core/registry.h"

// A value is kept as RegSetValueExW gave it: its type and bytes (a REG_SZ as
// WCHARs with their terminator, a REG_DWORD as four bytes in the machine's
// order). Types other than REG_SZ and REG_DWORD are kept as raw bytes.

// A REG_DWORD value.
RegistryValue NumberValue(DWORD number);
bool SameValue(const RegistryValue& a, const RegistryValue& b);

// A line of a .reg text that ParseKeepingGood could not use.
struct RegistryParseError {
  std::size_t line;    // 1 for the first line
  std::string reason;  // "a value outside a key" ...
};

class RegistryTree {
 public:
  // The tree written by `text`, or nothing when the text is not a .reg
  // export of HKEY_CURRENT_USER: a missing or other first line, a key of
  // another root, a value outside a key, a value line that does not parse,
  // or bytes that are not UTF-8 (or UTF-16LE with its byte-order mark).
  // Comment lines (";") are skipped and do not come back in Format's text.
  // Deletions are carried out as the registry editor carries them out on
  // import, in the order of the lines: "Name"=- removes the value from the
  // key above it, [-HKEY_CURRENT_USER\A] removes the key A and every key
  // below it; Format's text holds what is left.
  static std::optional<RegistryTree> Parse(std::string_view text);
  // Every key and value of `text` that parses, and one entry in `errors`
  // for each line that does not (the values under a key line that does not
  // parse included). Takes time in proportion to the text's length.
  static RegistryTree ParseKeepingGood(std::string_view text, std::vector<RegistryParseError>& errors);

  // The tree as UTF-8 text with LF line ends: the header line, then every
  // key in path order with its values in the order they were first set,
  // each key followed by one blank line. The root appears only when it
  // holds values. Strings that hold a control character are written as
  // hex(1) (UTF-16LE bytes), as the registry editor does.
  std::string Format() const;

  // Whether `path` names a valid key path (components not empty and at most
  // 255 characters long).
  static bool IsValidPath(std::wstring_view path);
  // Whether `name` can name a value (no control character, at most 16383
  // characters).
  static bool IsValidValueName(std::wstring_view name);

  bool HasKey(std::wstring_view path) const;
  // The key's sub-key names and values, as the registry functions show an
  // open key; nothing when the key is missing.
  std::optional<RegistryKeySnapshot> Snapshot(std::wstring_view path) const;
  // Creates the key and every key above it that is missing. Returns whether
  // the key was new; `path` must be valid.
  bool CreateKey(std::wstring_view path);
  // The value, or null when the key or the value is missing.
  const RegistryValue* FindValue(std::wstring_view path, std::wstring_view name) const;
  // Sets the value, creating the key as CreateKey does. Returns whether
  // anything changed.
  bool SetValue(std::wstring_view path, std::wstring_view name, RegistryValue value);

 private:
  struct Key {
    std::wstring path;
    std::vector<std::pair<std::wstring, RegistryValue>> values;
    // Folded value name -> position in `values`, so that a key with many
    // values is filled and searched in constant time per value.
    std::unordered_map<std::wstring, std::size_t> index;
    // Values ForgetValue took out of `index`, still in `values` until Compact.
    std::size_t forgotten = 0;
  };
  // Orders folded paths component by component, so that a key's sub-keys
  // follow it directly.
  struct PathOrder {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
  };

  // The parse's deletions. A forgotten value keeps its place in `values`
  // until Compact, so that a text of many deletions is still read in time
  // proportional to its length.
  void DeleteKey(std::wstring_view path);
  void ForgetValue(std::wstring_view path, std::wstring_view name);
  void Compact();

  std::map<std::wstring, Key, PathOrder> m_keys;
};

// The text compared without regard to letter case (Unicode simple case
// folding to upper case, independent of the user's locale).
std::wstring FoldRegistryName(std::wstring_view text);
