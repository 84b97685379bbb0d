#include "session/port_list.h"

#include "platform/core/network_source.h"
#include "platform/core/numbers.h"
#include "session/active_driver.h"

namespace {

bool IsWhiteSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

std::wstring Trim(const std::wstring& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsWhiteSpace(text[begin])) ++begin;
  while (end > begin && IsWhiteSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::wstring PortDeviceName(int n) { return FormatText(L"COM%d:", {n + 1}); }

std::wstring DeviceNameOf(const std::wstring& text) {
  const std::size_t colon = text.find(L':');
  return colon == std::wstring::npos ? std::wstring() : text.substr(0, colon + 1);
}

std::wstring DriverDescription(const std::wstring& key, const std::wstring& pnpId) {
  if (!pnpId.empty()) return pnpId;
  const std::size_t slash = key.rfind(L'\\');
  return slash == std::wstring::npos ? key : key.substr(slash + 1);
}

namespace {

std::wstring LabelOf(const std::wstring& deviceName, const ActiveDriverValues& drivers) {
  std::wstring key;
  std::wstring pnpId;
  if (const auto entry = drivers.find(deviceName); entry != drivers.end()) {
    if (const auto value = entry->second.find(L"Key"); value != entry->second.end()) key = value->second;
    if (const auto value = entry->second.find(L"PnpId"); value != entry->second.end()) pnpId = value->second;
  }
  return Trim(FormatText(L"%s %s", {deviceName, DriverDescription(key, pnpId)}));
}

}  // namespace

std::wstring PortLabel(const std::wstring& deviceName) {
  return LabelOf(deviceName, ReadActiveDriverValues({L"Key", L"PnpId"}));
}

bool IsNetworkPort(const std::wstring& deviceName) {
  return !deviceName.empty() && IsNetworkDriverKey(GetActiveDriverValue(deviceName.c_str(), L"Key"));
}

std::vector<std::wstring> PortLabels() {
  const ActiveDriverValues drivers = ReadActiveDriverValues({L"Key", L"PnpId"});
  std::vector<std::wstring> labels;
  for (int n = 0; n < kPortCount; ++n) labels.push_back(LabelOf(PortDeviceName(n), drivers));
  return labels;
}
