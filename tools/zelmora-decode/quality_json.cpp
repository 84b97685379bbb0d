#include "tools/zelmora-decode/quality_json.h"

#include <optional>
#include <string_view>

#include "acquisition/gnss_system.h"
#include "tools/zelmora-decode/json_output.h"

namespace {

void AppendField(std::string& out, std::string_view key, const std::optional<double>& value) {
  out.append(",\"").append(key).append("\":");
  if (value) {
    AppendJsonNumber(out, *value);
  } else {
    out.append("null");
  }
}

}  // namespace

void AppendQualityObject(std::string& out, const QualityFigures& figures) {
  out.append("{\"quality\":{\"epochs\":").append(std::to_string(figures.nEpochs));
  out.append(",\"fixes\":").append(std::to_string(figures.nFixes));
  AppendField(out, "availability", figures.availability);
  out.append(",\"reference\":");
  if (figures.reference) {
    out.append(figures.bUserReference ? "{\"source\":\"given\"" : "{\"source\":\"mean\"");
    AppendField(out, "latitude", figures.reference->dLatitude);
    AppendField(out, "longitude", figures.reference->dLongitude);
    AppendField(out, "altitude", figures.reference->dAltitude);
    out.push_back('}');
  } else {
    out.append("null");
  }
  AppendField(out, "cep50", figures.cep50);
  AppendField(out, "cep95", figures.cep95);
  AppendField(out, "drms2", figures.drms2);
  AppendField(out, "sigmaEast", figures.sigmaEast);
  AppendField(out, "sigmaNorth", figures.sigmaNorth);
  AppendField(out, "verticalSigma", figures.verticalSigma);
  AppendField(out, "vertical95", figures.vertical95);
  out.append(",\"strongest4Cn0\":{\"last\":");
  if (figures.strongestFourCn0) {
    AppendJsonNumber(out, *figures.strongestFourCn0);
  } else {
    out.append("null");
  }
  AppendField(out, "mean", figures.meanStrongestFourCn0);
  out.append("},\"systems\":{");
  bool first = true;
  for (int system = 0; system < kQualitySystems; ++system) {
    // Only the systems the log reported.
    if (figures.meanInView[system] == 0.0 && figures.systems[system].nInView == 0) continue;
    if (!first) out.push_back(',');
    first = false;
    out.push_back('"');
    out.append(SystemName(system));
    out.append("\":{\"inView\":").append(std::to_string(figures.systems[system].nInView));
    out.append(",\"used\":").append(std::to_string(figures.systems[system].nUsed));
    AppendField(out, "meanInView", figures.meanInView[system]);
    AppendField(out, "meanUsed", figures.meanUsed[system]);
    out.push_back('}');
  }
  out.append("},\"keptSamples\":").append(std::to_string(figures.nKeptSamples)).append("}}\n");
}
