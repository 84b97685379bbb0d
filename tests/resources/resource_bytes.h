// The bytes of one of the program's resources, found and loaded the way the
// program does it; empty when the resource is missing.
#pragma once

#include <span>

#include "platform/core/resources.h"

inline std::span<const BYTE> ProgramResource(LPCWSTR name, LPCWSTR type) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr) return {};
  return {static_cast<const BYTE*>(LockResource(LoadResource(module, found))), SizeofResource(module, found)};
}
