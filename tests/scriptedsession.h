// The scripted session of tools/session.txt: one step per line, "key NAME",
// "press X Y" or "release X Y" (screen pixels, left button); "moves" after
// a step repeats it SESSION_MOVES times (default once). `#` starts a comment.
#ifndef TESTS_SCRIPTEDSESSION_H
#define TESTS_SCRIPTEDSESSION_H

#include <string>
#include <vector>

struct SessionStep
{
    enum Kind
    {
        KEY,
        PRESS,
        RELEASE
    } kind;
    std::string key; // KEY: KP0 ... KP9
    int x, y;        // PRESS, RELEASE
    int times;       // 1, or the move count for a "moves" step
};

// The steps in order; false with `error` naming the line it cannot read.
bool ReadSession(const std::string& path, std::vector<SessionStep>* steps, std::string* error);

#endif
