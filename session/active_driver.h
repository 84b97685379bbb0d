// Lookups in the platform's table of active drivers,
// HKEY_LOCAL_MACHINE\Drivers\Active: one sub-key per loaded driver with the
// string values "Name" (the device name, "COM3:"), "Key" (the registry path
// of the driver's configuration) and "PnpId" (a plug-and-play identifier).
#pragma once

#include <string>

#include "platform/core/win_types.h"

// The value `valueName` of the active-driver entry whose "Name" equals
// `deviceName` exactly (case-sensitive); the empty string when there is
// none, when the value is missing, or when it is not a string of at most 129
// characters. Every sub-key is visited, so of several entries with the same
// name the last one enumerated decides.
std::wstring GetActiveDriverValue(LPCWSTR deviceName, LPCWSTR valueName);
