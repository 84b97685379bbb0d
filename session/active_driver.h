// Lookups in the platform's table of active drivers,
// HKEY_LOCAL_MACHINE\Drivers\Active: one sub-key per loaded driver with the
// string values "Name" (the device name, "COM3:"), "Key" (the registry path
// of the driver's configuration) and "PnpId" (a plug-and-play identifier).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/core/win_types.h"

// The value `valueName` of the active-driver entry whose "Name" equals
// `deviceName` exactly (case-sensitive); the empty string when there is
// none, when the value is missing, or when it is not a string of at most 129
// characters. Every sub-key is visited, so of several entries with the same
// name the last one enumerated decides.
std::wstring GetActiveDriverValue(LPCWSTR deviceName, LPCWSTR valueName);

// Device name -> value name -> value, for every entry of the table and each
// of `valueNames`, in one pass over the table: per device name and value the
// same answer GetActiveDriverValue gives (missing values are left out).
using ActiveDriverValues = std::map<std::wstring, std::map<std::wstring, std::wstring>>;
ActiveDriverValues ReadActiveDriverValues(const std::vector<std::wstring>& valueNames);
