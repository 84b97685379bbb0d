#include "platform/core/network_source.h"

#include <cctype>
#include <string_view>

#include "platform/core/utf8.h"

namespace {

struct Scheme {
  std::string_view prefix;
  NetworkKind kind;
};
constexpr Scheme kSchemes[] = {
    {"tcp://", NetworkKind::Tcp}, {"udp://", NetworkKind::Udp}, {"gpsd://", NetworkKind::Gpsd}};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

std::optional<NetworkSource> Fail(std::string* why, std::string reason) {
  if (why != nullptr) *why = std::move(reason);
  return std::nullopt;
}

const char* SchemeName(NetworkKind kind) {
  switch (kind) {
    case NetworkKind::Udp:
      return "udp";
    case NetworkKind::Gpsd:
      return "gpsd";
    case NetworkKind::Tcp:
      break;
  }
  return "tcp";
}

// "[::1]" keeps its brackets in what is shown, so the port stays apart.
std::string HostForDisplay(const std::string& host) {
  return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

}  // namespace

bool HasNetworkScheme(const std::string& text) {
  for (const Scheme& scheme : kSchemes) {
    if (StartsWithNoCase(text, scheme.prefix)) return true;
  }
  return false;
}

std::optional<NetworkSource> ParseNetworkSource(const std::string& text, std::string* why) {
  NetworkSource source;
  std::string_view rest;
  bool known = false;
  for (const Scheme& scheme : kSchemes) {
    if (StartsWithNoCase(text, scheme.prefix)) {
      source.kind = scheme.kind;
      rest = std::string_view(text).substr(scheme.prefix.size());
      known = true;
    }
  }
  if (!known) return Fail(why, "not tcp://, udp:// or gpsd://");
  if (source.kind == NetworkKind::Gpsd) {
    if (const std::size_t slash = rest.find('/'); slash != std::string_view::npos) {
      source.device = std::string(rest.substr(slash));
      rest = rest.substr(0, slash);
      if (source.device.size() < 2) return Fail(why, "the gpsd device after the host is not a path");
    }
  }
  std::string_view portText;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) return Fail(why, "an IPv6 address without its closing bracket");
    source.host = std::string(rest.substr(1, close - 1));
    rest = rest.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return Fail(why, "something other than :PORT after the address");
    if (!rest.empty()) portText = rest.substr(1);
  } else {
    const std::size_t colon = rest.rfind(':');
    source.host = std::string(rest.substr(0, colon));
    if (colon != std::string_view::npos) portText = rest.substr(colon + 1);
    if (source.host.find_first_of(":/") != std::string::npos) return Fail(why, "an IPv6 address needs brackets");
  }
  if (portText.empty()) {
    if (source.kind != NetworkKind::Gpsd) return Fail(why, "no :PORT");
    source.port = kGpsdDefaultPort;
  } else {
    unsigned port = 0;
    for (char c : portText) {
      if (c < '0' || c > '9' || port > 65535) return Fail(why, "the port is not a number from 1 to 65535");
      port = port * 10 + static_cast<unsigned>(c - '0');
    }
    if (port < 1 || port > 65535) return Fail(why, "the port is not a number from 1 to 65535");
    source.port = port;
  }
  if (source.host.empty() && source.kind != NetworkKind::Udp) return Fail(why, "no host");
  return source;
}

std::wstring NetworkSourceDescription(const NetworkSource& source) {
  std::string text = SchemeName(source.kind);
  text += ' ';
  if (source.kind == NetworkKind::Gpsd) {
    text += HostForDisplay(source.host);
    if (source.port != kGpsdDefaultPort) text += ":" + std::to_string(source.port);
    if (!source.device.empty()) text += " " + source.device;
  } else {
    text += HostForDisplay(source.host.empty() ? "127.0.0.1" : source.host) + ":" + std::to_string(source.port);
  }
  return Utf8ToWide(text);
}

std::wstring NetworkDriverKey(const NetworkSource& source) {
  return L"Drivers\\Network\\Serial\\" + Utf8ToWide(SchemeName(source.kind));
}

bool IsNetworkDriverKey(const std::wstring& key) { return key.starts_with(L"Drivers\\Network\\"); }
