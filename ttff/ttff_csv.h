// A finished TTFF test as a CSV file: a header row, then one row per run,
// saved under $XDG_DATA_HOME/zelmora/ (else ~/.local/share/zelmora/) as
// "ttff-<UTC start, 2026-12-08T061500>-<port>.csv". The numbers are written
// as the tool prints them, so that its JSON lines and the file agree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ttff/ttff_runner.h"

// The columns of the header row, in order.
inline constexpr std::string_view kTtffCsvHeader =
    "run,utc_start,family,kind,command_hex,ttff_s,timeout,latitude,longitude,satellites_used,mean_cn0_top4";

// "2026-12-08T06:15:00.250Z" for Unix milliseconds.
std::string UtcText(std::int64_t utcMs);
// `value` with `decimals` digits after the point ("12.345").
std::string FixedText(double value, int decimals);
// The run's TTFF, position and C/N0 as the CSV and the JSON lines write
// them: seconds to the millisecond, degrees to seven decimals, dB-Hz to one.
std::string TtffSecondsText(double seconds);
std::string DegreesText(double degrees);
std::string Cn0Text(double cn0);

// The file's whole text.
std::string TtffCsvText(const std::vector<TtffRunRecord>& runs);
// The file's name for a test started at `utcMs` on the tty at `port`
// ("/dev/ttyUSB0" gives "ttyUSB0", "/dev/pts/3" gives "pts-3").
std::string TtffCsvFileName(std::int64_t utcMs, std::string_view port);
// $XDG_DATA_HOME/zelmora when that is an absolute path, else
// $HOME/.local/share/zelmora; empty when neither can be had.
std::string TtffDataFolder();

// Writes `text` to `folder`/`name`, creating the folder, through a temporary
// file renamed into place. The path written on success; on failure, empty,
// with `error` saying which path and why.
std::string WriteTtffCsv(const std::string& folder, const std::string& name, const std::string& text,
                         std::string* error);
