#include "display/sky_description.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "acquisition/signal_strength.h"
#include "platform/core/numbers.h"

namespace {

// A satellite as the description names it: always with its system's letter
// when the plan draws one, the plain PRN of the handheld's table otherwise.
std::wstring Name(const SatelliteInfo& satellite, const SkyPlan& plan) { return SkyLabel(satellite, plan.bSystems); }

std::wstring Signal(const SatelliteInfo& satellite) {
  if (satellite.dSNR <= 0.0) return L"not tracked";
  return FormatText(L"%d dB", {static_cast<int>(std::lround(satellite.dSNR))});
}

}  // namespace

std::wstring SkyDescription(const SkyPlan& plan) {
  std::vector<const SatelliteInfo*> seen;
  int nUsed = 0;
  for (int i = 0; plan.pSky != nullptr && i < plan.nSkyCount; ++i) {
    const SatelliteInfo& satellite = plan.pSky[i];
    if (satellite.nPRN == 0) continue;
    seen.push_back(&satellite);
    nUsed += satellite.bUsed ? 1 : 0;
  }
  if (seen.empty()) return L"No satellites in view";

  std::wstring text =
      FormatText(seen.size() == 1 ? L"%d satellite in view, %d used" : L"%d satellites in view, %d used",
                 {static_cast<int>(seen.size()), nUsed});
  std::vector<const SatelliteInfo*> tracked;
  std::copy_if(seen.begin(), seen.end(), std::back_inserter(tracked),
               [](const SatelliteInfo* satellite) { return satellite->dSNR > 0.0; });
  std::vector<double> snrs;
  for (const SatelliteInfo* satellite : tracked) snrs.push_back(satellite->dSNR);
  const std::vector<std::size_t> strongest = StrongestFirst(snrs, kDescribedStrongest);
  for (std::size_t i = 0; i < strongest.size(); ++i) {
    text += i == 0 ? L"; strongest " : L", ";
    text += Name(*tracked[strongest[i]], plan) + L" " + Signal(*tracked[strongest[i]]);
  }
  return text;
}

std::wstring SignalBarsDescription(const SkyPlan& plan) {
  std::wstring text;
  for (int slot : plan.nSlot) {
    if (slot < 0 || plan.pSky == nullptr || slot >= plan.nSkyCount) continue;
    const SatelliteInfo& satellite = plan.pSky[slot];
    if (satellite.nPRN == 0) continue;
    if (!text.empty()) text += L", ";
    text += Name(satellite, plan) + L" " + Signal(satellite);
    if (satellite.bUsed) text += L" used";
  }
  return text.empty() ? L"No satellites" : text;
}
