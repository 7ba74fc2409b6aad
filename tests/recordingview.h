// Links in place of the real view for the shell's tests: every call the
// application object makes on its view is recorded here.
#ifndef TESTS_RECORDINGVIEW_H
#define TESTS_RECORDINGVIEW_H

#include <string>
#include <vector>

struct RecordedViews
{
    int constructed = 0;
    int destroyed = 0;
    std::vector<std::string> calls; // e.g. "OnButton(0, 99)"
};

RecordedViews& Recorded();

#endif
