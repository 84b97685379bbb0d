#include "session/receiver_scan.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <memory>

#include "nmea/sentence.h"
#include "platform/core/clock.h"
#include "platform/core/network_source.h"
#include "serial/serial_com.h"
#include "session/active_driver.h"
#include "session/port_list.h"

namespace {

class SerialScanPort final : public ScanPort {
 public:
  BOOL Open(LPCWSTR portName, DWORD baudRate, BYTE byteSize, BYTE parity, BYTE stopBits) override {
    return m_serial.Open(portName, baudRate, byteSize, parity, stopBits);
  }
  BOOL Read(LPVOID buffer, DWORD bytesWanted, LPDWORD bytesRead) override {
    return m_serial.Read(buffer, bytesWanted, bytesRead);
  }
  BOOL Close() override { return m_serial.Close(); }

 private:
  CSerialCom m_serial;
};

}  // namespace

ScanPort::~ScanPort() = default;

bool MayHoldReceiver(const std::wstring& driverKey) {
  return driverKey.empty() || driverKey.find(L"Serial") != std::wstring::npos ||
         driverKey.find(L"PCMCIA") != std::wstring::npos || driverKey.find(L"GPS") != std::wstring::npos;
}

namespace {

// "$" + a two-letter talker + GGA, GSA, GSV or RMC + ",".
bool HoldsAnyTalkerHead(const char* data) {
  const char* const end = data + std::strlen(data);
  for (const char* at = std::strchr(data, '$'); at != nullptr; at = std::strchr(at + 1, '$')) {
    if (NmeaDecodedTypeOfHead(std::string_view(at, static_cast<std::size_t>(end - at))) >= 0) return true;
  }
  return false;
}

}  // namespace

bool HoldsReceiverSentence(char* data, DWORD size, ScanTalkers talkers) {
  data[size] = '\0';
  if (std::strstr(data, "$GP") != nullptr || std::strstr(data, "$PS") != nullptr) return true;
  return talkers == ScanTalkers::Any && HoldsAnyTalkerHead(data);
}

std::optional<ReceiverFound> ScanForReceiver(const ScanPortList& list, ScanPort& port, ScanTalkers talkers,
                                             const ScanHooks& hooks) {
  const auto buffer = std::make_unique<char[]>(kScanBufferSize + 1);
  for (DWORD speed : kScanSpeeds) {
    for (int n = 0; n < list.count(); ++n) {
      const std::wstring name = DeviceNameOf(list.text(n));
      const std::wstring key = GetActiveDriverValue(name.c_str(), L"Key");
      if (!MayHoldReceiver(key)) continue;
      const bool network = IsNetworkDriverKey(key);
      if (network && speed != kScanSpeeds[0]) continue;
      if (hooks.trying) hooks.trying(name, network ? 0 : speed);
      if (!port.Open(name.c_str(), speed, 8, 0, 0)) continue;
      if (!hooks.listen) {
        Sleep(kScanListenMs);
      } else if (!hooks.listen(kScanListenMs)) {
        port.Close();
        return std::nullopt;
      }
      DWORD bytesRead = 0;
      if (!port.Read(buffer.get(), kScanBufferSize, &bytesRead)) bytesRead = 0;
      port.Close();
      if (bytesRead > 0 && HoldsReceiverSentence(buffer.get(), std::min(bytesRead, kScanBufferSize), talkers)) {
        return ReceiverFound{n, network ? 0 : speed};
      }
    }
  }
  return std::nullopt;
}

std::optional<ReceiverFound> ScanForReceiver(const ScanPortList& list, ScanTalkers talkers, const ScanHooks& hooks) {
  SerialScanPort port;
  return ScanForReceiver(list, port, talkers, hooks);
}
