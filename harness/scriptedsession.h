// The scripted session of tools/session.txt (its grammar is at its top):
// steps that name what they touch, turned into keys and screen points.
#ifndef HARNESS_SCRIPTEDSESSION_H
#define HARNESS_SCRIPTEDSESSION_H

#include <string>
#include <vector>

struct SessionStep
{
    enum Kind
    {
        KEY,
        PRESS,
        RELEASE,
        JOY
    } kind = KEY;
    std::string key;   // the name: KP0 ... KP9, or the button's
    int joyButton = 0; // JOY: the joystick button
    int x = 0, y = 0;  // PRESS, RELEASE: the point on the named button
    int times = 1;     // 1, or the move count for a "moves" step
    // What shows once the step is done: the tour's picture (empty once the
    // program has left) and its caption.
    std::string picture, caption;
};

// The steps in order, appended to `steps`; false with `error` naming the line
// it cannot read. The joystick session has each key's joystick button for it,
// and its own "joy" steps; the keyboard session leaves those out. `start`, if
// given, gets what the first frame shows.
bool ReadSession(const std::string& path, std::vector<SessionStep>* steps, std::string* error,
                 bool joystick = false, SessionStep* start = nullptr);

#endif
