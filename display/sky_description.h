// What a screen reader says of the sky plot and the signal bars: the same
// satellites the drawings show (a SkyPlan), in words.
#pragma once

#include <string>

#include "display/sky_plan.h"

// The counts and the strongest satellites of the sky plot, e.g.
// "35 satellites in view, 32 used; strongest G05 45 dB, R72 44 dB, E11 41 dB";
// "No satellites in view" for an empty plot. At most kDescribedStrongest
// satellites are named, strongest first (the sky's order among equals);
// satellites the receiver does not track (SNR 0) are counted, not named.
std::wstring SkyDescription(const SkyPlan& plan);

// The bars from left to right, e.g. "G05 45 dB used, R72 44 dB, G12 not
// tracked"; "No satellites" when no slot holds one.
std::wstring SignalBarsDescription(const SkyPlan& plan);

constexpr int kDescribedStrongest = 5;
