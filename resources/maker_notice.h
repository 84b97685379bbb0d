// The maker's lines: the About page's notice and the version record's
// company, legal and comment entries say the same thing.
#pragma once

inline constexpr wchar_t kMakerName[] = L"Tavrin Instruments";
inline constexpr wchar_t kNoticeOpening[] = L"Copyright";
inline constexpr wchar_t kNoticeLine[] = L"\u00A9 2007 Tavrin Instruments";
inline constexpr wchar_t kNoticeClosing[] = L"Free for field use.";
inline constexpr wchar_t kMakerWebAddress[] = L"www.tavrin.example";
inline constexpr wchar_t kVersionLine[] = L"Zelmora version 3.0.7.621";
