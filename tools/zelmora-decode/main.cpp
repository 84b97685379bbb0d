// zelmora-decode: runs the program's line cutting and sentence decoding over
// a recorded NMEA stream and prints what each decoded line stored and what
// the GPS Info page would show for it.
#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "acquisition/field_array.h"
#include "acquisition/gps_record.h"
#include "acquisition/line_cutter.h"
#include "tools/zelmora-decode/gpx_track.h"
#include "quality/quality_statistics.h"
#include "quality/record_epoch.h"
#include "quality/reference_point.h"
#include "tools/zelmora-decode/json_output.h"
#include "tools/zelmora-decode/quality_json.h"

namespace {

constexpr std::size_t kReadSize = 1024;  // bytes per read, as the reader thread asks for
constexpr std::size_t kFlushSize = 1 << 16;

constexpr char kUsage[] =
    "Usage: zelmora-decode [--demo] [--stats] [--gps-only] [FILE]\n"
    "       zelmora-decode --quality [--reference LAT,LON[,ALT]] [--gps-only] [FILE]\n"
    "\n"
    "Cuts the NMEA-0183 byte stream in FILE (or standard input) into lines and\n"
    "decodes GGA, GSA, GSV and RMC of every talker exactly as Zelmora's reader\n"
    "thread does, reading 1024 bytes at a time. Writes one JSON object per line\n"
    "whose head matched (UTF-8): the group it decoded with the stored values and\n"
    "the texts the GPS Info page shows for them (\"show\", in the time zone of TZ),\n"
    "or why it was dropped (\"check\": bad shape or checksum, \"fields\": too few).\n"
    "\n"
    "  --demo   replace every decoded sentence by the canned one of its type\n"
    "  --stats  end with {\"stats\":{\"lines\":N,\"decoded\":N,\"dropped\":N}}\n"
    "  --gps-only  decode $GPGGA, $GPGSA, $GPGSV and $GPRMC only, into the\n"
    "           handheld's tables of twelve satellites\n"
    "  --gpx    write the fixes as a GPX 1.1 track instead (time, position,\n"
    "           altitude, fix, satellites, HDOP, VDOP, PDOP where known)\n"
    "  --quality  instead of the lines, one object with the positioning figures\n"
    "           of the whole stream (an epoch ends with each RMC), as the\n"
    "           Accuracy page shows them\n"
    "  --reference LAT,LON[,ALT]  measure from this point (decimal degrees,\n"
    "           metres) instead of the mean of the fixes\n"
    "  --help   show this text\n"
    "\n"
    "Exit status: 0 done, 1 output could not be written, 2 bad arguments or\n"
    "input that cannot be opened or read.\n";

bool WriteAll(const std::string& text) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

// Fills `buffer` up to kReadSize bytes unless the input ends first, so that
// the reads are the same whether the input is a file or a pipe.
ssize_t ReadChunk(int fd, char* buffer) {
  std::size_t filled = 0;
  while (filled < kReadSize) {
    const ssize_t n = read(fd, buffer + filled, kReadSize - filled);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      return -1;
    }
    if (n == 0) {
      break;
    }
    filled += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(filled);
}

}  // namespace

int main(int argc, char** argv) {
  bool demo = false;
  bool stats = false;
  bool gpsOnly = false;
  bool gpx = false;
  bool quality = false;
  CQualityStatistics statistics;
  CEpochFeed epochs;
  enum { kDemo = 1, kStats, kGpsOnly, kGpx, kQuality, kReference };
  static const option kOptions[] = {
      {"demo", no_argument, nullptr, kDemo},        {"stats", no_argument, nullptr, kStats},
      {"gps-only", no_argument, nullptr, kGpsOnly}, {"gpx", no_argument, nullptr, kGpx},
      {"quality", no_argument, nullptr, kQuality},  {"reference", required_argument, nullptr, kReference},
      {"help", no_argument, nullptr, 'h'},          {nullptr, 0, nullptr, 0},
  };
  opterr = 0;  // the messages below name the option as the tool always has
  for (int option; (option = getopt_long(argc, argv, "h", kOptions, nullptr)) != -1;) {
    switch (option) {
      case 'h':
        std::fputs(kUsage, stdout);
        return 0;
      case kDemo:
        demo = true;
        break;
      case kStats:
        stats = true;
        break;
      case kGpsOnly:
        gpsOnly = true;
        break;
      case kGpx:
        gpx = true;
        break;
      case kQuality:
        quality = true;
        break;
      case kReference:
        if (const auto reference = ParseReferencePoint(optarg)) {
          statistics.SetReference(reference);
          break;
        }
        std::fprintf(stderr, "zelmora-decode: --reference takes LAT,LON[,ALT], not %s\n%s", optarg, kUsage);
        return 2;
      default:
        std::fprintf(stderr, "zelmora-decode: unknown option %s\n%s", argv[optind - 1], kUsage);
        return 2;
    }
  }
  if (gpx && quality) {
    std::fprintf(stderr, "zelmora-decode: --gpx and --quality each replace the lines: choose one\n%s", kUsage);
    return 2;
  }
  if (gpx && (demo || stats)) {
    std::fprintf(stderr, "zelmora-decode: --gpx writes a track; --demo and --stats do not apply\n%s", kUsage);
    return 2;
  }
  if (argc - optind > 1) {
    std::fprintf(stderr, "zelmora-decode: only one FILE may be given\n%s", kUsage);
    return 2;
  }
  const char* path = optind < argc ? argv[optind] : nullptr;

  int fd = STDIN_FILENO;
  const char* inputName = "standard input";
  if (path != nullptr && std::string_view(path) != "-") {
    fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      std::fprintf(stderr, "zelmora-decode: cannot open %s: %s\n", path, std::strerror(errno));
      return 2;
    }
    inputName = path;
  }

  CGPSRecord record;
  record.SetGpsOnly(gpsOnly ? TRUE : FALSE);
  if (demo) {
    record.m_bDemo = TRUE;
    record.LoadDemoSentences();
  }
  CFieldArray fields;
  std::string out;
  out.reserve(kFlushSize * 2);
  bool writeFailed = false;
  long long lines = 0;
  long long decoded = 0;
  long long dropped = 0;
  CGpxTrack track;
  std::string narrow;
  CLineCutter cutter([&](const std::wstring& line) {
    ++lines;
    if (gpx) {
      // Sentences are ASCII; any other character cannot be part of one.
      narrow.clear();
      for (wchar_t c : line) narrow += c < 0x80 ? static_cast<char>(c) : '?';
      if (!gpsOnly || narrow.starts_with("$GP")) track.AddLine(narrow);
      return;
    }
    const int result = record.DecodeLine(line, fields);
    if (result > 0 && quality) {
      ++decoded;
      if (epochs.EndsEpoch(result)) statistics.AddEpoch(EpochOfRecord(record.Snapshot()), 0);
    } else if (result > 0) {
      ++decoded;
      AppendDecodedLine(out, lines, result, record.Snapshot());
    } else if (result < 0) {
      ++dropped;
      if (!quality) AppendDroppedLine(out, lines, result);
    }
  });

  char buffer[kReadSize];
  for (;;) {
    const ssize_t n = ReadChunk(fd, buffer);
    if (n < 0) {
      std::fprintf(stderr, "zelmora-decode: cannot read %s: %s\n", inputName, std::strerror(errno));
      return 2;
    }
    if (n == 0) {
      break;
    }
    cutter.Feed(buffer, static_cast<std::size_t>(n));
    if (out.size() >= kFlushSize) {
      writeFailed = writeFailed || !WriteAll(out);
      out.clear();
    }
  }
  if (fd != STDIN_FILENO) {
    close(fd);
  }

  if (gpx) out += track.Finish();
  if (quality) AppendQualityObject(out, statistics.Figures());
  if (stats) {
    out += "{\"stats\":{\"lines\":" + std::to_string(lines) + ",\"decoded\":" + std::to_string(decoded) +
           ",\"dropped\":" + std::to_string(dropped) + "}}\n";
  }
  writeFailed = writeFailed || !WriteAll(out);
  if (std::fflush(stdout) != 0 || writeFailed) {
    std::fprintf(stderr, "zelmora-decode: cannot write the output: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}
