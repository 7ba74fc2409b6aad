// The version label as the device must draw it.
#ifndef TESTS_LABELINK_H
#define TESTS_LABELINK_H

#include <utility>
#include <vector>

// The screen pixels the version label covers, rendered from the label font
// in the device folder (12 points, solid) at the label's place.
std::vector<std::pair<int, int>> LabelInk();

#endif
