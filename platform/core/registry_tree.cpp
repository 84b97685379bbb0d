#include "platform/core/registry_tree.h"

#include "platform/core/utf8.h"

#include <locale.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <iterator>

namespace {

constexpr std::wstring_view kHeader = L"Windows Registry Editor Version 5.00";
constexpr std::wstring_view kRoot = L"HKEY_CURRENT_USER";
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
// Lines of hex data are cut after this many characters, as the registry
// editor cuts them.
constexpr std::size_t kHexLineWidth = 76;

bool IsScalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

// Characters that are not Unicode scalar values become U+FFFD.
void EncodeUtf8(std::wstring_view text, std::string& out) {
  for (wchar_t wc : text) AppendUtf8(out, static_cast<char32_t>(wc));
}

// UTF-16LE code units to characters; a lone surrogate fails.
bool DecodeUtf16(const BYTE* bytes, std::size_t count, std::wstring& out) {
  if (count % 2 != 0) return false;
  for (std::size_t i = 0; i < count; i += 2) {
    char32_t unit = static_cast<char32_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 3 >= count) return false;
      const char32_t low = static_cast<char32_t>(bytes[i + 2] | (bytes[i + 3] << 8));
      if (low < 0xDC00 || low > 0xDFFF) return false;
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;
    }
    out.push_back(static_cast<wchar_t>(unit));
  }
  return true;
}

void EncodeUtf16(std::wstring_view text, std::vector<BYTE>& out) {
  auto unit = [&out](char32_t u) {
    out.push_back(static_cast<BYTE>(u & 0xFF));
    out.push_back(static_cast<BYTE>(u >> 8));
  };
  for (wchar_t wc : text) {
    auto c = static_cast<char32_t>(wc);
    if (!IsScalar(c)) c = 0xFFFD;
    if (c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
  }
}

// The file's bytes as text: UTF-8 with or without its byte-order mark, or
// UTF-16LE with its mark (the registry editor's own export encoding).
bool DecodeFile(std::string_view bytes, std::wstring& out) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    return DecodeUtf16(reinterpret_cast<const BYTE*>(bytes.data()) + 2, bytes.size() - 2, out);
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return DecodeUtf8(bytes, out);
}

// The characters of a wide-string value: its wchar_t units, without the one
// terminator it should end with.
std::wstring_view WideChars(const std::vector<BYTE>& data) {
  std::wstring_view chars(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  if (!chars.empty() && chars.back() == L'\0') chars.remove_suffix(1);
  return chars;
}

void AppendQuoted(std::wstring_view text, std::wstring& out) {
  out.push_back(L'"');
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') out.push_back(L'\\');
    out.push_back(c);
  }
  out.push_back(L'"');
}

// A REG_SZ goes between quotes when its bytes are characters with exactly one
// terminator and none of them is a control character.
bool FitsBetweenQuotes(const RegistryValue& value) {
  if (value.type != REG_SZ || value.data.size() % sizeof(wchar_t) != 0 || value.data.empty()) return false;
  std::wstring_view all(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
  if (all.back() != L'\0') return false;
  all.remove_suffix(1);
  for (wchar_t c : all) {
    if (IsControl(c)) return false;
  }
  return true;
}

void AppendHex(const std::vector<BYTE>& bytes, std::size_t lineStart, std::wstring& out) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0xF]);
    if (i + 1 == bytes.size()) break;
    out.push_back(L',');
    if (out.size() - lineStart >= kHexLineWidth) {
      out += L"\\\n  ";
      lineStart = out.size() - 2;
    }
  }
}

void AppendValue(const std::wstring& name, const RegistryValue& value, std::wstring& out) {
  const std::size_t lineStart = out.size();
  if (name.empty()) {
    out.push_back(L'@');
  } else {
    AppendQuoted(name, out);
  }
  out.push_back(L'=');
  if (FitsBetweenQuotes(value)) {
    AppendQuoted(WideChars(value.data), out);
  } else if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, value.data.data(), sizeof number);
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    out += L"dword:";
    for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kDigits[(number >> shift) & 0xF]);
  } else {
    std::vector<BYTE> bytes = value.data;
    if (value.type == REG_SZ) {
      bytes.clear();
      std::wstring_view units(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
      EncodeUtf16(units, bytes);
    }
    if (value.type == REG_BINARY) {
      out += L"hex:";
    } else {
      static constexpr wchar_t kDigits[] = L"0123456789abcdef";
      out += L"hex(";
      std::wstring number;
      DWORD type = value.type;
      do {
        number.insert(number.begin(), kDigits[type & 0xF]);
        type >>= 4;
      } while (type != 0);
      out += number + L"):";
    }
    AppendHex(bytes, lineStart, out);
  }
  out.push_back(L'\n');
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view TrimRight(std::wstring_view line) {
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

std::wstring_view TrimLeft(std::wstring_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  return line;
}

bool StartsWithFolded(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && FoldRegistryName(text.substr(0, prefix.size())) == FoldRegistryName(prefix);
}

// A quoted string at the start of `rest` (which begins with '"'), with the
// escapes \\ and \" only; `rest` is left after the closing quote.
bool ParseQuoted(std::wstring_view& rest, std::wstring& out) {
  std::size_t i = 1;
  while (i < rest.size()) {
    const wchar_t c = rest[i];
    if (c == L'"') {
      rest.remove_prefix(i + 1);
      return true;
    }
    if (c == L'\\') {
      if (i + 1 >= rest.size() || (rest[i + 1] != L'\\' && rest[i + 1] != L'"')) return false;
      ++i;
    }
    out.push_back(rest[i]);
    ++i;
  }
  return false;
}

// The value's bytes after "hex:" or "hex(N):": two-digit bytes separated by
// commas, a backslash at a line's end continuing on the next line.
bool ParseHexBytes(std::wstring_view rest, const std::vector<std::wstring_view>& lines, std::size_t& lineIndex,
                   std::vector<BYTE>& out) {
  for (;;) {
    rest = TrimLeft(rest);
    if (rest.empty()) return true;
    if (rest == L"\\") {
      if (++lineIndex >= lines.size()) return false;
      rest = TrimRight(lines[lineIndex]);
      continue;
    }
    if (rest.size() < 2 || HexDigit(rest[0]) < 0 || HexDigit(rest[1]) < 0) return false;
    out.push_back(static_cast<BYTE>(HexDigit(rest[0]) * 16 + HexDigit(rest[1])));
    rest = TrimLeft(rest.substr(2));
    if (rest.empty()) return true;
    if (rest.front() != L',') return false;
    rest.remove_prefix(1);
  }
}

// One value line (and its continuation lines): name, "=", data; or name,
// "=-", which leaves `value` empty: the value is to be deleted.
bool ParseValue(const std::vector<std::wstring_view>& lines, std::size_t& lineIndex, std::wstring& name,
                std::optional<RegistryValue>& deletedOrValue) {
  std::wstring_view rest = TrimRight(lines[lineIndex]);
  if (rest.starts_with(L'@')) {
    rest.remove_prefix(1);
  } else if (!rest.starts_with(L'"') || !ParseQuoted(rest, name)) {
    return false;
  }
  rest = TrimLeft(rest);
  if (!rest.starts_with(L'=')) return false;
  rest = TrimLeft(rest.substr(1));
  if (rest == L"-") return true;
  RegistryValue& value = deletedOrValue.emplace();

  if (rest.starts_with(L'"')) {
    std::wstring text;
    if (!ParseQuoted(rest, text) || !TrimLeft(rest).empty()) return false;
    value = StringValue(text);
    return true;
  }
  if (StartsWithFolded(rest, L"dword:")) {
    rest.remove_prefix(6);
    if (rest.empty() || rest.size() > 8) return false;
    DWORD number = 0;
    for (wchar_t c : rest) {
      if (HexDigit(c) < 0) return false;
      number = number * 16 + static_cast<DWORD>(HexDigit(c));
    }
    value = NumberValue(number);
    return true;
  }
  DWORD type = REG_BINARY;
  if (StartsWithFolded(rest, L"hex(")) {
    rest.remove_prefix(4);
    const std::size_t close = rest.find(L"):");
    if (close == 0 || close == std::wstring_view::npos || close > 8) return false;
    type = 0;
    for (wchar_t c : rest.substr(0, close)) {
      if (HexDigit(c) < 0) return false;
      type = type * 16 + static_cast<DWORD>(HexDigit(c));
    }
    rest.remove_prefix(close + 2);
  } else if (StartsWithFolded(rest, L"hex:")) {
    rest.remove_prefix(4);
  } else {
    return false;
  }
  std::vector<BYTE> bytes;
  if (!ParseHexBytes(rest, lines, lineIndex, bytes)) return false;
  value.type = type;
  if (type == REG_SZ) {
    std::wstring units;
    if (!DecodeUtf16(bytes.data(), bytes.size(), units)) return false;
    value.data.assign(units.size() * sizeof(wchar_t), 0);
    if (!units.empty()) std::memcpy(value.data.data(), units.data(), value.data.size());
  } else {
    value.data = std::move(bytes);
  }
  return true;
}

// The key path of a key line after its "[" (or "[-"); the reason when the
// line names none.
const char* KeyPathOf(std::wstring_view line, std::wstring_view& path) {
  if (!line.ends_with(L']')) return "a key line without its closing \"]\"";
  const std::wstring_view full = line.substr(0, line.size() - 1);
  if (!StartsWithFolded(full, kRoot)) return "a key outside HKEY_CURRENT_USER";
  path = full.substr(kRoot.size());
  if (!path.empty()) {
    if (path.front() != L'\\' || path.size() == 1) return "a key outside HKEY_CURRENT_USER";
    path.remove_prefix(1);
  }
  if (!RegistryTree::IsValidPath(path)) return "a key name that is empty, too long or holds a control character";
  return nullptr;
}

locale_t CaseLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

RegistryValue NumberValue(DWORD number) {
  RegistryValue value{REG_DWORD, std::vector<BYTE>(sizeof number)};
  std::memcpy(value.data.data(), &number, sizeof number);
  return value;
}

bool SameValue(const RegistryValue& a, const RegistryValue& b) { return a.type == b.type && a.data == b.data; }

std::wstring FoldRegistryName(std::wstring_view text) {
  std::wstring folded(text);
  const locale_t locale = CaseLocale();
  for (wchar_t& c : folded) {
    if (c < 0x80) {
      if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    } else if (locale != static_cast<locale_t>(nullptr)) {
      c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), locale));
    }
  }
  return folded;
}

bool RegistryTree::PathOrder::operator()(const std::wstring& a, const std::wstring& b) const {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    if (a[i] == L'\\') return true;
    if (b[i] == L'\\') return false;
    return a[i] < b[i];
  }
  return a.size() < b.size();
}

bool RegistryTree::IsValidPath(std::wstring_view path) {
  if (path.empty()) return true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    const std::wstring_view component = path.substr(start, end - start);
    if (component.empty() || component.size() > kMaxKeyNameLength) return false;
    for (wchar_t c : component) {
      if (IsControl(c)) return false;
    }
    if (end == path.size()) return true;
    start = end + 1;
  }
}

bool RegistryTree::IsValidValueName(std::wstring_view name) {
  if (name.size() > kMaxValueNameLength) return false;
  for (wchar_t c : name) {
    if (IsControl(c)) return false;
  }
  return true;
}

bool RegistryTree::HasKey(std::wstring_view path) const {
  return path.empty() || m_keys.count(FoldRegistryName(path)) != 0;
}

bool RegistryTree::CreateKey(std::wstring_view path) {
  if (m_keys.empty()) m_keys[L""] = Key{};
  bool created = false;
  std::wstring spelled;
  std::size_t start = 0;
  while (start < path.size()) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    const std::wstring_view component = path.substr(start, end - start);
    const std::wstring folded = FoldRegistryName(path.substr(0, end));
    auto found = m_keys.find(folded);
    if (found == m_keys.end()) {
      spelled = spelled.empty() ? std::wstring(component) : spelled + L"\\" + std::wstring(component);
      m_keys[folded] = Key{spelled, {}, {}};
      created = true;
    } else {
      spelled = found->second.path;
    }
    start = end + 1;
  }
  return created;
}

std::optional<RegistryKeySnapshot> RegistryTree::Snapshot(std::wstring_view path) const {
  const std::wstring folded = FoldRegistryName(path);
  const auto key = m_keys.find(folded);
  if (key == m_keys.end() && !path.empty()) return std::nullopt;
  RegistryKeySnapshot snapshot;
  if (key != m_keys.end()) snapshot.values = key->second.values;
  const std::wstring prefix = folded.empty() ? folded : folded + L"\\";
  for (const auto& [childFolded, child] : m_keys) {
    if (childFolded.empty() || !childFolded.starts_with(prefix)) continue;
    if (childFolded.find(L'\\', prefix.size()) != std::wstring::npos) continue;
    snapshot.subKeys.push_back(child.path.substr(prefix.size()));
  }
  return snapshot;
}

const RegistryValue* RegistryTree::FindValue(std::wstring_view path, std::wstring_view name) const {
  const auto key = m_keys.find(FoldRegistryName(path));
  if (key == m_keys.end()) return nullptr;
  const auto found = key->second.index.find(FoldRegistryName(name));
  return found == key->second.index.end() ? nullptr : &key->second.values[found->second].second;
}

bool RegistryTree::SetValue(std::wstring_view path, std::wstring_view name, RegistryValue value) {
  bool changed = CreateKey(path);
  Key& key = m_keys[FoldRegistryName(path)];
  const auto [found, added] = key.index.try_emplace(FoldRegistryName(name), key.values.size());
  if (added) {
    key.values.emplace_back(std::wstring(name), std::move(value));
    return true;
  }
  RegistryValue& existing = key.values[found->second].second;
  changed = changed || !SameValue(existing, value);
  existing = std::move(value);
  return changed;
}

std::optional<RegistryTree> RegistryTree::Parse(std::string_view text) {
  std::vector<RegistryParseError> errors;
  RegistryTree tree = ParseKeepingGood(text, errors);
  if (!errors.empty()) return std::nullopt;
  return tree;
}

RegistryTree RegistryTree::ParseKeepingGood(std::string_view text, std::vector<RegistryParseError>& errors) {
  // The lines as text; a line whose bytes are not UTF-8 stays empty and is
  // reported. A UTF-16 file is decoded whole, as its line ends are two bytes.
  std::wstring wide;
  std::vector<std::pair<std::size_t, std::size_t>> spans;  // start and length in `wide`
  std::vector<bool> undecodable;
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE) {
    if (!DecodeFile(text, wide)) {
      errors.push_back({1, "the UTF-16 text does not decode"});
      return RegistryTree{};
    }
    for (std::size_t start = 0; start < wide.size();) {
      const std::size_t end = std::min(wide.find(L'\n', start), wide.size());
      spans.emplace_back(start, end - start);
      undecodable.push_back(false);
      start = end + 1;
    }
  } else {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    wide.reserve(text.size());
    while (!text.empty()) {
      const std::size_t end = std::min(text.find('\n'), text.size());
      const std::size_t start = wide.size();
      const bool decoded = DecodeUtf8(text.substr(0, end), wide);
      if (!decoded) wide.resize(start);
      spans.emplace_back(start, wide.size() - start);
      undecodable.push_back(!decoded);
      text.remove_prefix(std::min(end + 1, text.size()));
    }
  }
  std::vector<std::wstring_view> lines;
  lines.reserve(spans.size());
  for (const auto& [start, length] : spans) {
    std::wstring_view line(wide.data() + start, length);
    if (line.ends_with(L'\r')) line.remove_suffix(1);
    lines.push_back(line);
  }

  RegistryTree tree;
  std::size_t first = 0;
  if (lines.empty() || TrimRight(lines[0]) != kHeader) {
    errors.push_back({1, "the first line is not \"Windows Registry Editor Version 5.00\""});
    // A file that lost its header may still begin with a key.
    first = !lines.empty() && !undecodable[0] && lines[0].starts_with(L'[') ? 0 : 1;
  } else {
    first = 1;
  }
  std::optional<std::wstring> current;
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (undecodable[i]) {
      errors.push_back({i + 1, "the bytes are not UTF-8 text"});
      continue;
    }
    const std::wstring_view line = TrimRight(lines[i]);
    if (line.empty() || line.starts_with(L';')) continue;
    if (line.starts_with(L'[')) {
      // Until the next good key line, values have no key to go to.
      current.reset();
      const bool deletes = line.starts_with(L"[-");
      std::wstring_view path;
      if (const char* reason = KeyPathOf(line.substr(deletes ? 2 : 1), path)) {
        errors.push_back({i + 1, reason});
      } else if (deletes && path.empty()) {
        errors.push_back({i + 1, "HKEY_CURRENT_USER itself cannot be deleted"});
      } else if (deletes) {
        tree.DeleteKey(path);
      } else {
        tree.CreateKey(path);
        current = std::wstring(path);
      }
      continue;
    }
    const std::size_t start = i;
    if (!current) {
      errors.push_back({start + 1, "a value outside a key"});
      continue;
    }
    std::wstring name;
    std::optional<RegistryValue> value;
    if (!ParseValue(lines, i, name, value) || !IsValidValueName(name)) {
      errors.push_back({start + 1, "a value line that does not parse"});
      // A value broken inside its continuation lines leaves them unused.
      continue;
    }
    if (value) {
      tree.SetValue(*current, name, std::move(*value));
    } else {
      tree.ForgetValue(*current, name);
    }
  }
  tree.Compact();
  return tree;
}

void RegistryTree::DeleteKey(std::wstring_view path) {
  const std::wstring folded = FoldRegistryName(path);
  const auto first = m_keys.find(folded);
  if (first == m_keys.end()) return;
  // Its sub-keys follow it directly (PathOrder).
  const std::wstring below = folded + L"\\";
  auto last = std::next(first);
  while (last != m_keys.end() && last->first.starts_with(below)) ++last;
  m_keys.erase(first, last);
}

void RegistryTree::ForgetValue(std::wstring_view path, std::wstring_view name) {
  const auto key = m_keys.find(FoldRegistryName(path));
  if (key != m_keys.end() && key->second.index.erase(FoldRegistryName(name)) != 0) ++key->second.forgotten;
}

// A value stays when the index still points at its place; one set again
// after it was forgotten has a new place at the end.
void RegistryTree::Compact() {
  for (auto& [folded, key] : m_keys) {
    if (key.forgotten == 0) continue;
    Key kept{key.path, {}, {}};
    for (std::size_t i = 0; i < key.values.size(); ++i) {
      std::wstring name = FoldRegistryName(key.values[i].first);
      const auto found = key.index.find(name);
      if (found == key.index.end() || found->second != i) continue;
      kept.index.emplace(std::move(name), kept.values.size());
      kept.values.push_back(std::move(key.values[i]));
    }
    key = std::move(kept);
  }
}

std::string RegistryTree::Format() const {
  std::wstring text(kHeader);
  text += L"\n\n";
  for (const auto& [folded, key] : m_keys) {
    if (key.path.empty() && key.values.empty()) continue;
    text += L"[";
    text += kRoot;
    if (!key.path.empty()) text += L"\\" + key.path;
    text += L"]\n";
    for (const auto& [name, value] : key.values) AppendValue(name, value, text);
    text += L"\n";
  }
  std::string out;
  EncodeUtf8(text, out);
  return out;
}
