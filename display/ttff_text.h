// What the TTFF page shows of a test: the receiver's name, the summary, the
// last runs and the run under way, as plain text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "receivers/receiver_family.h"
#include "ttff/ttff_runner.h"

// "MediaTek" and on a second line its firmware version when the probe's
// answer carried one (its first comma-separated field, at most 24
// characters); "unknown" without a family.
std::wstring ReceiverText(const ReceiverFamily* family, const std::string& version);

// Three lines: "Valid 3 of 3, timeouts 0", "Mean 12.3 s, median 12.1 s",
// "SD 1.2 s, min 10.0 s, max 14.0 s" (dashes where no run had a fix, and
// for the deviation of a single one); a test stopped by the user adds
// "Stopped after 4 of 10 runs".
std::wstring SummaryText(const TtffSummary& summary);

// The last `count` runs, newest first: "Run 3: 12.345 s", "Run 2: timeout".
std::wstring LastRunsText(const std::vector<TtffRunRecord>& runs, int count);

// The count-up of the run under way, "2/10: 12 s", or between runs
// "2/10 done".
std::wstring ElapsedText(int run, int runs, std::uint32_t elapsedMs, bool waiting);

// `path` with the home folder written as "~", split after its last slash so
// that the folder and the file name each get a line.
std::wstring SavedPathText(const std::string& path, const std::string& home);
// `path` with the home folder written "~" ("~/.local/share/zelmora/x.nmea").
std::string PathFromHome(const std::string& path, const std::string& home);
