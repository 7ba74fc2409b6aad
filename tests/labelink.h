// Text as the device must draw it in the label font.
#ifndef TESTS_LABELINK_H
#define TESTS_LABELINK_H

#include "tests/expected.h"

#include <utility>
#include <vector>

// The screen pixels `text` covers, rendered from the label font in the device
// folder (12 points, solid) with its top-left corner at (x, y): by default,
// the version label.
std::vector<std::pair<int, int>> LabelInk(const char* text = expected::kLabelText,
                                          int x = expected::kLabelX, int y = expected::kLabelY);

#endif
