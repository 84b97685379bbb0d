// A COM number may stand for a network source instead of a tty, as a
// Windows virtual COM port stands for one:
//   tcp://HOST:PORT               a TCP connection the port reads and writes
//                                 (phone apps, ser2net and socat bridges,
//                                 receivers with Ethernet);
//   udp://[ADDRESS]:PORT          datagrams received on ADDRESS (the loopback
//                                 address when it is left out); read-only;
//   gpsd://HOST[:PORT][/DEVICE]   a gpsd client (port 2947 by default) that
//                                 asks gpsd for DEVICE's own bytes; read-only.
// HOST is a name, an IPv4 address or an IPv6 address in brackets. This file
// only reads and describes the text; network_port.h opens it.
#pragma once

#include <optional>
#include <string>

enum class NetworkKind { Tcp, Udp, Gpsd };

struct NetworkSource {
  NetworkKind kind = NetworkKind::Tcp;
  std::string host;    // without brackets; empty for udp:// without an address
  unsigned port = 0;   // 1..65535
  std::string device;  // gpsd:// only: the device's path, or empty
};

inline constexpr unsigned kGpsdDefaultPort = 2947;

// Whether `text` begins with one of the three schemes (any letter case):
// such a text is a network source or a mistake, never a tty path.
bool HasNetworkScheme(const std::string& text);

// Reads a network source; nothing, with the reason in `why`, when `text` is
// not one (no scheme, no port, a port outside 1..65535, an empty host of
// tcp:// or gpsd://, a gpsd device that is not a path ...).
std::optional<NetworkSource> ParseNetworkSource(const std::string& text, std::string* why = nullptr);

// What the Setup page shows of it: "tcp 192.168.1.20:10110",
// "udp 127.0.0.1:10110", "gpsd localhost /dev/ttyACM0" (gpsd's port only
// when it is not 2947).
std::wstring NetworkSourceDescription(const NetworkSource& source);

// The driver path the COM device table gives a network source,
// "Drivers\Network\Serial\tcp" (udp, gpsd): a serial stream, so the receiver
// scan tries it, under "Network", so the program can tell it from a tty.
std::wstring NetworkDriverKey(const NetworkSource& source);
bool IsNetworkDriverKey(const std::wstring& key);
