#include "acquisition/recording_format.h"

std::string CRecordingFormat::HeaderText(const RecordingHeader& header) {
  std::string text(kRecordingFirstLine);
  text += "\r\n# date: " + header.date + "\r\n# port: " + header.port + "\r\n" + std::string(kRecordingSpeedPrefix) +
          (header.speed != 0 ? std::to_string(header.speed) : "none") + "\r\n# program: " + header.program + "\r\n";
  return text;
}

void CRecordingFormat::AppendRead(std::string& out, std::string_view bytes, std::uint64_t ms) {
  std::size_t at = m_scanner.AtLineStart() ? 0 : bytes.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    m_scanner.Step(static_cast<unsigned char>(bytes[i]));
    if (at == bytes.size() && m_scanner.AtLineStart()) at = i + 1;
  }
  out.append(bytes.substr(0, at));
  if (at < bytes.size()) {
    out += std::string(kRecordingTimePrefix) + std::to_string(ms) + "\r\n";
    out.append(bytes.substr(at));
  }
}
