// The strongest satellites of a set of C/N0 values: the one ordering the
// TTFF test's figure, the sky plot's description and the positioning
// quality's figure share.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// The positions in `cn0s` of its (up to) `limit` largest values, strongest
// first; equal values keep their order in `cn0s`.
std::vector<std::size_t> StrongestFirst(const std::vector<double>& cn0s, std::size_t limit);

// The mean of the (up to) four largest of `cn0s`; nothing when empty. The
// usual single figure of a receiver's signal strength.
std::optional<double> MeanOfStrongestFour(const std::vector<double>& cn0s);
