// UTF-8 text from the kernel and the command line, as the layer's wide strings.
#pragma once

#include <string>

// Malformed sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
