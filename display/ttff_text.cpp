#include "display/ttff_text.h"

#include <optional>

#include "platform/core/utf8.h"
#include "ttff/ttff_csv.h"

namespace {

constexpr std::size_t kVersionChars = 24;

std::wstring Wide(const std::string& text) { return Utf8ToWide(text); }

std::wstring Seconds(const std::optional<double>& value, int decimals) {
  return value ? Wide(FixedText(*value, decimals)) + L" s" : std::wstring(L"-");
}

}  // namespace

std::wstring ReceiverText(const ReceiverFamily* family, const std::string& version) {
  if (family == nullptr) return L"unknown";
  std::wstring text = Wide(std::string(family->name));
  // The version's first field names the firmware; the build dates and
  // hardware fields some families add after commas would not fit.
  std::string shown = version.substr(0, version.find(','));
  if (shown.size() > kVersionChars) shown = shown.substr(0, kVersionChars - 3) + "...";
  if (!shown.empty()) text += L"\r\n" + Wide(shown);
  return text;
}

std::wstring SummaryText(const TtffSummary& summary) {
  return L"Valid " + std::to_wstring(summary.valid) + L" of " + std::to_wstring(summary.runs) + L", timeouts " +
         std::to_wstring(summary.timeouts) + L"\r\nMean " + Seconds(summary.mean, 1) + L", median " +
         Seconds(summary.median, 1) + L"\r\nSD " + Seconds(summary.standardDeviation, 1) + L", min " +
         Seconds(summary.minimum, 1) + L", max " + Seconds(summary.maximum, 1) +
         (summary.stopped ? L"\r\nStopped after " + std::to_wstring(summary.runs) + L" of " +
                                std::to_wstring(summary.requested) + L" runs"
                          : std::wstring());
}

std::wstring LastRunsText(const std::vector<TtffRunRecord>& runs, int count) {
  std::wstring text;
  for (auto run = runs.rbegin(); run != runs.rend() && count > 0; ++run, --count) {
    if (!text.empty()) text += L"\r\n";
    text += L"Run " + std::to_wstring(run->number) + L": " +
            (run->timedOut ? std::wstring(L"timeout") : Wide(TtffSecondsText(run->ttffSeconds)) + L" s");
  }
  return text;
}

std::wstring ElapsedText(int run, int runs, std::uint32_t elapsedMs, bool waiting) {
  const std::wstring which = std::to_wstring(run) + L"/" + std::to_wstring(runs);
  if (waiting) return which + L" done";
  return which + L": " + std::to_wstring(elapsedMs / 1000) + L" s";
}

std::string PathFromHome(const std::string& path, const std::string& home) {
  if (!home.empty() && path.size() > home.size() && path.compare(0, home.size(), home) == 0 &&
      path[home.size()] == '/') {
    return "~" + path.substr(home.size());
  }
  return path;
}

std::wstring SavedPathText(const std::string& path, const std::string& home) {
  const std::string shown = PathFromHome(path, home);
  const std::size_t slash = shown.rfind('/');
  if (slash == std::string::npos) return Wide(shown);
  return Wide(shown.substr(0, slash + 1)) + L"\r\n" + Wide(shown.substr(slash + 1));
}
