#include "ttff/ttff_csv.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/core/config_files.h"
#include "platform/core/numbers.h"

std::string UtcText(std::int64_t utcMs) {
  const std::time_t seconds = static_cast<std::time_t>(utcMs / 1000);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(utcMs % 1000));
  return text;
}

std::string FixedText(double value, int decimals) {
  // Always a decimal point: a comma under the user's locale would split the
  // CSV's field in two.
  std::wstring text;
  AppendFixed(text, value, decimals);
  return std::string(text.begin(), text.end());
}

std::string TtffSecondsText(double seconds) { return FixedText(seconds, 3); }
std::string DegreesText(double degrees) { return FixedText(degrees, 7); }
std::string Cn0Text(double cn0) { return FixedText(cn0, 1); }

std::string TtffCsvText(const std::vector<TtffRunRecord>& runs) {
  std::string text(kTtffCsvHeader);
  text += "\n";
  for (const TtffRunRecord& run : runs) {
    text += std::to_string(run.number) + "," + UtcText(run.utcStartMs) + "," + run.family + "," +
            std::string(StartKindName(run.kind)) + "," + run.commandHex + ",";
    text += run.timedOut ? std::string() : TtffSecondsText(run.ttffSeconds);
    text += run.timedOut ? ",1," : ",0,";
    text += run.latitude ? DegreesText(*run.latitude) : std::string();
    text += ",";
    text += run.longitude ? DegreesText(*run.longitude) : std::string();
    text += ",";
    text += run.satellitesUsed ? std::to_string(*run.satellitesUsed) : std::string();
    text += ",";
    text += run.meanCn0 ? Cn0Text(*run.meanCn0) : std::string();
    text += "\n";
  }
  return text;
}

std::string TtffCsvFileName(std::int64_t utcMs, std::string_view port) {
  if (port.substr(0, 5) == "/dev/") port.remove_prefix(5);
  std::string portPart;
  for (char c : port) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    portPart.push_back(plain ? c : '-');
  }
  const std::string utc = UtcText(utcMs);  // 2026-12-08T06:15:00.250Z
  const std::string stamp = utc.substr(0, 11) + utc.substr(11, 2) + utc.substr(14, 2) + utc.substr(17, 2);
  return "ttff-" + stamp + "-" + portPart + ".csv";
}

std::string TtffDataFolder() { return DataDirectory(); }

std::string WriteTtffCsv(const std::string& folder, const std::string& name, const std::string& text,
                         std::string* error) {
  if (folder.empty()) {
    if (error) *error = "no folder for " + name + ": neither XDG_DATA_HOME nor HOME is set";
    return {};
  }
  const std::string path = folder + "/" + name;
  if (!WriteFileAtomically(path, text)) {
    if (error) *error = path + ": " + std::strerror(errno);
    return {};
  }
  return path;
}
