#include "display/accuracy_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "acquisition/gnss_system.h"
#include "platform/core/utf8.h"
#include "ttff/ttff_csv.h"

namespace {

std::wstring Wide(const std::string& text) { return Utf8ToWide(text); }

std::wstring Metres(const wchar_t* name, const std::optional<double>& value) {
  return std::wstring(name) + L" " + (value ? Wide(FixedText(*value, 1)) + L" m" : std::wstring(L"-"));
}

std::string Optional(const std::optional<double>& value, int decimals) {
  return value ? FixedText(*value, decimals) : std::string();
}

}  // namespace

AccuracyTexts AccuracyFigureTexts(const QualityFigures& figures) {
  AccuracyTexts texts;
  texts.strSamples = L"Samples " + std::to_wstring(figures.nFixes);
  texts.strAvailability =
      L"Fix " + (figures.availability ? Wide(FixedText(*figures.availability, 1)) + L" %" : std::wstring(L"-"));
  texts.strCep50 = Metres(L"CEP50", figures.cep50);
  texts.strCep95 = Metres(L"CEP95", figures.cep95);
  texts.strDrms2 = Metres(L"2DRMS", figures.drms2);
  texts.strVerticalSigma = Metres(L"V SD", figures.verticalSigma);
  texts.strVertical95 = Metres(L"V95", figures.vertical95);
  texts.strCn0 = L"C/N0 " + (figures.strongestFourCn0 ? Wide(FixedText(*figures.strongestFourCn0, 1)) + L" dB"
                                                      : std::wstring(L"-"));
  texts.strReference = figures.bUserReference ? L"Ref: given point" : L"Ref: mean of fixes";
  if (figures.reference) {
    texts.strReference += L"\r\n" + Wide(FixedText(figures.reference->dLatitude, 6)) + L", " +
                          Wide(FixedText(figures.reference->dLongitude, 6)) + L", " +
                          Wide(FixedText(figures.reference->dAltitude, 0)) + L" m";
  }
  texts.strSystems = L"Sats";
  int shown = 0;
  for (int system = 0; system < kQualitySystems; ++system) {
    const SystemCounts& counts = figures.systems[system];
    if (counts.nInView == 0) continue;
    // Four systems a line.
    texts.strSystems += (shown > 0 && shown % 4 == 0) ? L"\r\n" : L" ";
    texts.strSystems += std::wstring(1, SystemLetter(system)) + L" " + std::to_wstring(counts.nInView) + L"/" +
                        std::to_wstring(counts.nUsed);
    ++shown;
  }
  if (shown == 0) texts.strSystems += L" -";
  return texts;
}

double ScatterRangeMetres(const QualityFigures& figures) {
  const double needed = figures.cep95 ? 1.5 * *figures.cep95 : 0.0;
  for (double decade = 1.0;; decade *= 10.0) {
    for (double step : {1.0, 2.0, 5.0}) {
      if (step * decade >= needed) return step * decade;
    }
  }
}

std::wstring ScatterDescription(const QualityFigures& figures, double rangeMetres) {
  if (figures.nFixes == 0) return L"Scatter: no fixes yet";
  const AccuracyTexts texts = AccuracyFigureTexts(figures);
  return L"Scatter of " + std::to_wstring(figures.nFixes) + (figures.nFixes == 1 ? L" fix" : L" fixes") +
         (figures.bUserReference ? L" around the given point, " : L" around the mean of fixes, ") +
         Wide(FixedText(rangeMetres, 0)) + L" m to the edge: " + texts.strCep50 + L", " + texts.strCep95 + L", " +
         texts.strDrms2;
}

std::wstring HistoryDescription(const std::deque<HistoryPoint>& history) {
  if (history.empty()) return L"Last 10 minutes: no epochs yet";
  std::optional<double> low, high;
  int lowUsed = history.front().nUsed, highUsed = history.front().nUsed;
  for (const HistoryPoint& point : history) {
    if (point.cn0) {
      low = std::min(low.value_or(*point.cn0), *point.cn0);
      high = std::max(high.value_or(*point.cn0), *point.cn0);
    }
    lowUsed = std::min(lowUsed, point.nUsed);
    highUsed = std::max(highUsed, point.nUsed);
  }
  const HistoryPoint& now = history.back();
  std::wstring text = L"Last 10 minutes: strongest four C/N0 ";
  if (low) {
    text += Wide(FixedText(*low, 0)) + L" to " + Wide(FixedText(*high, 0)) + L" dB-Hz, now " +
            (now.cn0 ? Wide(FixedText(*now.cn0, 0)) : std::wstring(L"-"));
  } else {
    text += L"-";
  }
  return text + L"; satellites used " + std::to_wstring(lowUsed) + L" to " + std::to_wstring(highUsed) + L", now " +
         std::to_wstring(now.nUsed);
}

std::string AccuracyCsvText(const CQualityStatistics& statistics) {
  std::vector<Enu> points;
  const QualityFigures figures = statistics.Figures(&points);
  std::string text = "utc_date,utc_time,latitude,longitude,altitude_m,east_m,north_m,up_m\n";
  const auto& samples = statistics.Samples();
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Geodetic position = statistics.PositionOf(samples[i]);
    char date[8], time[8];
    std::snprintf(date, sizeof date, "%06d", samples[i].nDate);
    std::snprintf(time, sizeof time, "%06d", samples[i].nTime);
    text += std::string(date) + "," + time + "," + DegreesText(position.dLatitude) + "," +
            DegreesText(position.dLongitude) + "," + FixedText(position.dAltitude, 2) + "," +
            FixedText(points[i].dEast, 3) + "," + FixedText(points[i].dNorth, 3) + "," + FixedText(points[i].dUp, 3) +
            "\n";
  }
  text += "\nfigure,value\n";
  const auto row = [&](const char* name, const std::string& value) { text += std::string(name) + "," + value + "\n"; };
  row("epochs", std::to_string(figures.nEpochs));
  row("fixes", std::to_string(figures.nFixes));
  row("kept_fixes", std::to_string(figures.nKeptSamples));
  row("availability_percent", Optional(figures.availability, 2));
  row("reference", figures.bUserReference ? "given" : "mean");
  row("reference_latitude", figures.reference ? DegreesText(figures.reference->dLatitude) : "");
  row("reference_longitude", figures.reference ? DegreesText(figures.reference->dLongitude) : "");
  row("reference_altitude_m", figures.reference ? FixedText(figures.reference->dAltitude, 2) : "");
  row("cep50_m", Optional(figures.cep50, 3));
  row("cep95_m", Optional(figures.cep95, 3));
  row("drms2_m", Optional(figures.drms2, 3));
  row("sigma_east_m", Optional(figures.sigmaEast, 3));
  row("sigma_north_m", Optional(figures.sigmaNorth, 3));
  row("vertical_sigma_m", Optional(figures.verticalSigma, 3));
  row("vertical_95_m", Optional(figures.vertical95, 3));
  row("strongest4_cn0_dbhz", Optional(figures.strongestFourCn0, 1));
  row("mean_strongest4_cn0_dbhz", Optional(figures.meanStrongestFourCn0, 1));
  return text;
}

std::string AccuracyCsvFileName(std::int64_t utcMs) {
  // "2026-12-08T06:15:00.250Z" as "2026-12-08T061500".
  std::string stamp = UtcText(utcMs).substr(0, 19);
  stamp.erase(std::remove(stamp.begin() + 11, stamp.end(), ':'), stamp.end());
  return "accuracy-" + stamp + ".csv";
}
