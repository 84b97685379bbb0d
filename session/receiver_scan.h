// The receiver scan behind the Setup page's Scan button: every listed port
// that may hold a receiver is opened at seven speeds in turn, listened to for
// two seconds, and searched for NMEA ("$GP") or SiRF ("$PS") sentences. The
// first port and speed that deliver one win. It runs on the calling thread;
// the page shows the wait cursor meanwhile, keeps its window painting
// through the scan's listen hook, and reports "GPS not found." when nothing
// was found.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/core/win_types.h"

// The speeds tried, in this order: all ports at 4800, then all at 57600 ...
inline constexpr DWORD kScanSpeeds[] = {4800, 57600, 9600, 14400, 19200, 38400, 115200};
// How long a port is listened to, and how much of what it sent is searched.
inline constexpr DWORD kScanListenMs = 2000;
inline constexpr DWORD kScanBufferSize = 14400;

// The port operations the scan uses, as CSerialCom offers them.
class ScanPort {
 public:
  virtual ~ScanPort();
  virtual BOOL Open(LPCWSTR portName, DWORD baudRate, BYTE byteSize, BYTE parity, BYTE stopBits) = 0;
  virtual BOOL Read(LPVOID buffer, DWORD bytesWanted, LPDWORD bytesRead) = 0;
  virtual BOOL Close() = 0;
};

// The port list as the scan reads it: the number of entries, asked again
// after every entry, and the text of entry n.
struct ScanPortList {
  std::function<int()> count;
  std::function<std::wstring(int)> text;
};

struct ReceiverFound {
  int entry;       // index of the port's entry in the list
  DWORD baudRate;  // the speed it answered at; 0 for a network source
};

// Whether a port whose active driver has the registry path `driverKey` may
// hold a receiver: a serial, card-slot or GPS driver, or no driver entry.
bool MayHoldReceiver(const std::wstring& driverKey);

// Which receivers a scan recognises: those that send "$GP" or "$PS"
// sentences (the handheld's rule, for $GP-only decoding), or also those that
// send a position, fix or satellite sentence of any talker ("$GNRMC,",
// "$GLGSV,", "$BDGSA," ...), as the all-talker decoding shows them.
enum class ScanTalkers { GpsOnly, Any };

// Whether the bytes read hold such a sentence head before their first zero
// byte. `data` has room for one byte more than `size`: the terminator goes
// there.
bool HoldsReceiverSentence(char* data, DWORD size, ScanTalkers talkers = ScanTalkers::GpsOnly);

// What the caller sees of a running scan. `trying` hears of each device
// name and speed before the port is opened; `listen` waits the listening
// time in place of a plain Sleep and returns false when the user cancelled,
// which ends the scan at once with nothing found.
struct ScanHooks {
  std::function<void(const std::wstring& device, DWORD baudRate)> trying;
  std::function<bool(DWORD milliseconds)> listen;
};

// The scan over `port`: for each speed and each entry, the entry's device
// name is tried when its driver key passes MayHoldReceiver (a network
// source, whose speed does not apply, only once, in the first round, with
// speed 0 for `trying` and in what is found); the port is
// opened (8 data bits, no parity, one stop bit), the scan waits
// kScanListenMs, reads once what has arrived (up to kScanBufferSize bytes),
// closes the port and searches the bytes.
std::optional<ReceiverFound> ScanForReceiver(const ScanPortList& list, ScanPort& port,
                                             ScanTalkers talkers = ScanTalkers::GpsOnly, const ScanHooks& hooks = {});
// The same over a local CSerialCom, created closed here and closed (if still
// open) when the scan ends: the Setup page's own port is not used.
std::optional<ReceiverFound> ScanForReceiver(const ScanPortList& list, ScanTalkers talkers = ScanTalkers::GpsOnly,
                                             const ScanHooks& hooks = {});
