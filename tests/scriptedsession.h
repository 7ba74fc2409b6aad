// The scripted session of tools/session.txt (its grammar is at its top):
// steps that name what they touch, turned into keys and screen points.
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
        RELEASE,
        JOY
    } kind;
    std::string key; // the name: KP0 ... KP9, or the button's
    int joyButton;   // JOY: the joystick button
    int x, y;        // PRESS, RELEASE: the point on the named button
    int times;       // 1, or the move count for a "moves" step
};

// The steps in order, appended to `steps`; false with `error` naming the line it cannot read.
// The joystick session has each key's joystick button for it, and its own
// "joy" steps; the keyboard session leaves those out.
bool ReadSession(const std::string& path, std::vector<SessionStep>* steps, std::string* error,
                 bool joystick = false);

#endif
