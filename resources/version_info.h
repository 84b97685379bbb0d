// The program's version record and its VS_VERSIONINFO form.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/win_types.h"

struct VersionRecord {
  std::array<WORD, 4> fileVersion;
  std::array<WORD, 4> productVersion;
  WORD language;
  WORD codePage;
  std::vector<std::pair<std::wstring, std::wstring>> strings;  // key, value
};

// Zelmora 3.0.7.621, Chinese (Traditional, Taiwan), code page 950.
const VersionRecord& ProgramVersion();

// VS_VERSIONINFO: the fixed file information, a StringFileInfo with one
// string table for the record's translation, and a VarFileInfo naming that
// translation. Every block starts on a 4-byte boundary; a block's length
// counts its children and the padding between them.
std::vector<BYTE> BuildVersionInfo(const VersionRecord& record);
