// The positioning figures of a whole log as one JSON object, for
// `zelmora-decode --quality`.
#pragma once

#include <string>

#include "quality/quality_statistics.h"

// {"quality":{...}} and a newline: counts, availability (percent), the
// reference, CEP50, CEP95, 2DRMS, the standard deviations east, north and
// vertical and the vertical 95th percentile (metres), the strongest four's
// C/N0 (dB-Hz, the last epoch's and the mean over epochs) and per system the
// last epoch's satellites in view and used with their means. A figure not
// known yet is null.
void AppendQualityObject(std::string& out, const QualityFigures& figures);
