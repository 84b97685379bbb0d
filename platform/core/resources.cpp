#include "platform/core/resources.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <vector>

#include "platform/core/byte_reader.h"

namespace {

// Every live module, so that a stale or foreign HMODULE is refused instead
// of being read as a module.
struct ModuleRegistry {
  std::mutex lock;
  std::set<const ResourceModule*> modules;
};

ModuleRegistry& Registry() {
  static ModuleRegistry registry;
  return registry;
}

std::atomic<const ResourceModule*> g_programModule{nullptr};

// The program's module handle: one value for the whole run, whichever
// catalogue stands behind it, so a handle taken before SetProgramResources
// (the application object's, say) names the catalogue set later.
char g_programModuleTag;

const ResourceModule& ProgramModule() {
  static const ResourceModule empty({});
  const ResourceModule* program = g_programModule.load(std::memory_order_acquire);
  return program != nullptr ? *program : empty;
}

wchar_t FoldAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Resource names and types: ordinals match by number, names by their text
// without regard to ASCII case; an ordinal never matches a name.
bool SameResourceName(LPCWSTR a, LPCWSTR b) {
  if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) return a == b;
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  }
  return *a == *b;
}

// One string of a block: `units` UTF-16 code units starting at `offset`,
// surrogate pairs joined into one character.
std::wstring DecodeUtf16(std::span<const BYTE> bytes, std::size_t offset, std::size_t units) {
  std::wstring text;
  text.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    wchar_t c = ReadLe16(bytes, offset + 2 * i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
      const wchar_t low = ReadLe16(bytes, offset + 2 * (i + 1));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
      }
    }
    text.push_back(c);
  }
  return text;
}

const ResourceEntry* ToEntry(HRSRC resource) { return reinterpret_cast<const ResourceEntry*>(resource); }

}  // namespace

ResourceModule::ResourceModule(std::span<const ResourceEntry> entries) : m_entries(entries) {
  std::lock_guard<std::mutex> guard(Registry().lock);
  Registry().modules.insert(this);
}

ResourceModule::~ResourceModule() {
  std::lock_guard<std::mutex> guard(Registry().lock);
  Registry().modules.erase(this);
}

HMODULE ResourceModule::Handle() const { return reinterpret_cast<HMODULE>(const_cast<ResourceModule*>(this)); }

const ResourceModule* ResourceModule::FromHandle(HMODULE module) {
  if (module == nullptr || module == GetModuleHandleW(nullptr)) return &ProgramModule();
  const auto* candidate = reinterpret_cast<const ResourceModule*>(module);
  std::lock_guard<std::mutex> guard(Registry().lock);
  return Registry().modules.count(candidate) != 0 ? candidate : nullptr;
}

const ResourceEntry* ResourceModule::Find(LPCWSTR name, LPCWSTR type) const {
  if (name == nullptr || type == nullptr) return nullptr;
  const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const ResourceEntry& e) {
    return SameResourceName(e.type, type) && SameResourceName(e.name, name);
  });
  return it != m_entries.end() ? &*it : nullptr;
}

// A string block holds sixteen strings, each a 16-bit length in code units
// followed by that many UTF-16 code units, without terminator. Block n holds
// the ids (n - 1) * 16 to (n - 1) * 16 + 15. A block cut short ends early.
const std::wstring* ResourceModule::FindString(UINT id) const {
  std::call_once(m_stringsDecoded, [this] {
    for (const ResourceEntry& e : m_entries) {
      if (!SameResourceName(e.type, RT_STRING) || !IS_INTRESOURCE(e.name)) continue;
      const auto block = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(e.name));
      if (block == 0) continue;
      std::size_t offset = 0;
      for (UINT index = 0; index < 16 && offset + 2 <= e.data.size(); ++index) {
        const std::size_t units = ReadLe16(e.data, offset);
        offset += 2;
        if (offset + 2 * units > e.data.size()) break;
        if (units != 0) m_strings[(block - 1) * 16 + index] = DecodeUtf16(e.data, offset, units);
        offset += 2 * units;
      }
    }
  });
  const auto it = m_strings.find(id);
  return it != m_strings.end() ? &it->second : nullptr;
}

void SetProgramResources(std::span<const ResourceEntry> entries) {
  static std::mutex lock;
  // Never freed, not even at exit: handles taken from a module stay valid
  // after a change, and the modules must not outlive the registry of modules.
  static auto* const modules = new std::vector<std::unique_ptr<const ResourceModule>>;
  std::lock_guard<std::mutex> guard(lock);
  const ResourceModule* current = g_programModule.load(std::memory_order_acquire);
  if (current != nullptr && current->Entries().data() == entries.data() &&
      current->Entries().size() == entries.size()) {
    return;
  }
  modules->push_back(std::make_unique<const ResourceModule>(entries));
  g_programModule.store(modules->back().get(), std::memory_order_release);
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  return moduleName == nullptr ? reinterpret_cast<HMODULE>(&g_programModuleTag) : nullptr;
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  const ResourceModule* owner = ResourceModule::FromHandle(module);
  if (owner == nullptr) return nullptr;
  return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(owner->Find(name, type)));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  if (resource == nullptr) return nullptr;
  return const_cast<BYTE*>(ToEntry(resource)->data.data());
}

LPVOID LockResource(HGLOBAL resource) { return resource; }

DWORD SizeofResource(HMODULE, HRSRC resource) {
  return resource == nullptr ? 0 : static_cast<DWORD>(ToEntry(resource)->data.size());
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
  if (buffer == nullptr || bufferMax < 0) return 0;
  const ResourceModule* owner = ResourceModule::FromHandle(instance);
  const std::wstring* text = owner != nullptr ? owner->FindString(id & 0xFFFF) : nullptr;
  if (bufferMax == 0) {
    *reinterpret_cast<LPCWSTR*>(buffer) = text != nullptr ? text->c_str() : nullptr;
    return text != nullptr ? static_cast<int>(text->size()) : 0;
  }
  const std::size_t count = text != nullptr ? std::min<std::size_t>(text->size(), bufferMax - 1) : 0;
  if (count != 0) std::copy_n(text->data(), count, buffer);
  buffer[count] = 0;
  return static_cast<int>(count);
}

std::string ModuleFileVersion(HMODULE module) {
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION);
  const auto* data = static_cast<const BYTE*>(LoadResource(module, resource));
  if (data == nullptr) return {};
  std::span<const BYTE> bytes(data, SizeofResource(module, resource));
  constexpr WORD kSignatureLow = 0x04BD;
  constexpr WORD kSignatureHigh = 0xFEEF;
  // VS_FIXEDFILEINFO: signature, structure version, then the file version's
  // high and low double words (each the high word first in value, stored
  // little-endian: low word at the lower address).
  for (std::size_t at = 0; at + 16 <= bytes.size(); at += 4) {
    if (ReadLe16(bytes, at) != kSignatureLow || ReadLe16(bytes, at + 2) != kSignatureHigh) continue;
    return std::to_string(ReadLe16(bytes, at + 10)) + "." + std::to_string(ReadLe16(bytes, at + 8)) + "." +
           std::to_string(ReadLe16(bytes, at + 14)) + "." + std::to_string(ReadLe16(bytes, at + 12));
  }
  return {};
}
