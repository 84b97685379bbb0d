#include "platform/core/active_drivers_hive.h"

#include "platform/core/clock.h"

#include <cwchar>
#include <cwctype>

namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring EntryName(unsigned number) {
  wchar_t name[16];
  std::swprintf(name, 16, L"%02u", number);
  return name;
}

const std::wstring kActive = L"drivers\\active";
// How long the entries' keys may be answered from the last reading of the
// table: a pass over it takes microseconds, a refresh comes every 3 s.
constexpr DWORD kPassMs = 1000;

}  // namespace

std::vector<ComDevice> ActiveDriversHive::Devices(bool afresh) {
  const DWORD now = GetTickCount();
  std::lock_guard lock(m_lock);
  if (afresh || !m_read || now - m_readAt > kPassMs) {
    m_devices = ComDeviceTable::Active().Devices();
    m_read = true;
    m_readAt = now;
  }
  return m_devices;
}

std::optional<RegistryKeySnapshot> ActiveDriversHive::ReadKey(const std::wstring& path) {
  std::wstring key = Lower(path);
  if (key.empty()) return RegistryKeySnapshot{{L"Drivers"}, {}};
  if (key == L"drivers") return RegistryKeySnapshot{{L"Active"}, {}};
  if (key == kActive) {
    RegistryKeySnapshot snapshot;
    for (const ComDevice& device : Devices(true)) snapshot.subKeys.push_back(EntryName(device.number));
    return snapshot;
  }
  if (key.size() <= kActive.size() + 1 || key.compare(0, kActive.size() + 1, kActive + L"\\") != 0) return std::nullopt;
  std::wstring entry = key.substr(kActive.size() + 1);
  for (const ComDevice& device : Devices(false)) {
    if (EntryName(device.number) != entry) continue;
    return RegistryKeySnapshot{{},
                               {{L"Name", StringValue(device.name)},
                                {L"Key", StringValue(device.key)},
                                {L"PnpId", StringValue(device.pnpId)}}};
  }
  return std::nullopt;
}
