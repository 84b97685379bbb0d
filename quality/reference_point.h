// A reference point as a person types it: "LAT,LON" or "LAT,LON,ALT" in
// decimal degrees (south and west negative) and metres, as
// `zelmora-decode --reference`, `Zelmora --reference` and the Accuracy
// page's box take it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "quality/local_tangent_plane.h"

// Nothing for a text that is not two or three numbers, or a latitude
// outside -90..90 or longitude outside -180..180. Spaces around the numbers
// are allowed. The altitude defaults to 0.
std::optional<Geodetic> ParseReferencePoint(std::string_view text);

// The point as ParseReferencePoint reads it back exactly: each number in
// the fewest digits that give it again, the altitude left out when it is 0.
std::string ReferencePointText(const Geodetic& point);
