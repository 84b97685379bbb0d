// What the Accuracy page shows of the positioning figures, as plain text:
// one line per figure with its unit, the reference, the satellites per
// system, what a screen reader says of the scatter and of the history, the
// scatter's scale, and the exported CSV file.
#pragma once

#include <cstdint>
#include <string>

#include "quality/quality_statistics.h"

struct AccuracyTexts {
  std::wstring strSamples;        // "Samples 1234"
  std::wstring strAvailability;   // "Fix 99.8 %"
  std::wstring strCep50;          // "CEP50 1.8 m"
  std::wstring strCep95;          // "CEP95 3.6 m"
  std::wstring strDrms2;          // "2DRMS 4.2 m"
  std::wstring strVerticalSigma;  // "V SD 3.0 m"
  std::wstring strVertical95;     // "V95 5.9 m"
  std::wstring strCn0;            // "C/N0 44.5 dB" (the strongest four's mean, dB-Hz)
  std::wstring strReference;      // "Ref: mean of fixes" and the point on a second line
  std::wstring strSystems;        // "Sats G 9/7 R 6/4" in view/used, four systems a line
};

// A figure not known yet shows as "-".
AccuracyTexts AccuracyFigureTexts(const QualityFigures& figures);

// The half width of the scatter in metres: the smallest of 1, 2, 5, 10,
// 20, 50 ... metres that holds one and a half times CEP95 (1 m before there
// is a CEP95).
double ScatterRangeMetres(const QualityFigures& figures);

// "Scatter of 1234 fixes around the mean of fixes, 5 m to the edge: CEP50
// 1.8 m, CEP95 3.6 m, 2DRMS 4.2 m"; "Scatter: no fixes yet".
std::wstring ScatterDescription(const QualityFigures& figures, double rangeMetres);

// "Last 10 minutes: strongest four C/N0 38 to 45 dB-Hz, now 44; satellites
// used 7 to 9, now 8"; "Last 10 minutes: no epochs yet".
std::wstring HistoryDescription(const std::deque<HistoryPoint>& history);

// The CSV file: a header row and one row per kept fix (its UTC date and
// time as received, latitude, longitude, altitude, and east, north, up
// from the reference), then a blank line and the figures as name,value rows.
std::string AccuracyCsvText(const CQualityStatistics& statistics);
// "accuracy-2026-12-08T061500.csv" for Unix milliseconds.
std::string AccuracyCsvFileName(std::int64_t utcMs);
