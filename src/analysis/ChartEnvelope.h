// Which samples of a long curve a chart needs to draw it exactly as the whole curve would look
// at a given width: per bucket of consecutive samples, its lowest and highest value (and its
// first gap, so a hole in the data stays a hole). A chart then holds a few thousand points
// instead of millions, and a zoom picks them again from the samples.
#pragma once

#include <vector>

// The indices (ascending) of the samples to draw of y over x (x ascending, count samples) in
// the x window lo ... hi: the sample just outside each end (so the line runs on to the edge),
// then every sample when at most 2 x buckets lie in between, or else per bucket the first and
// last sample, the lowest and the highest and the first NaN. Empty when count is 0.
void EnvelopeIndices(const double* x, const double* y, int count, double lo, double hi, int buckets,
                     std::vector<int>& indices);
