// Code-page conversion: the handheld's ANSI code page on Linux.
#pragma once

#include "platform/core/win_types.h"

// The system's ANSI code page. Here it is Windows-1252, the code page of the
// handhelds the program was written for.
constexpr UINT CP_ACP = 0;

// Decodes CP_ACP bytes by a Windows-1252 table: every byte becomes exactly
// one character and no byte is rejected (0x81, 0x8D, 0x8F, 0x90 and 0x9D,
// unassigned in the code page, map to the control characters of the same
// value, as the handheld does). cbMultiByte -1 converts up to and including
// the terminating 0 byte. cchWideChar 0 asks for the needed length. Returns
// the number of characters written (or needed), 0 for an unsupported code
// page, bad arguments or a buffer that is too small. dwFlags changes nothing
// for a single-byte code page.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                        int cchWideChar);
