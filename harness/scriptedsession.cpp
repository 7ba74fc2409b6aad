#include "harness/scriptedsession.h"
#include "tests/expected.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace
{
// False for a line that is not a step; `step->times` 0 for one without a step
// (or without one in this session).
bool ParseStep(const std::string& line, SessionStep* step, bool joystick)
{
    std::istringstream in(line.substr(0, line.find('#')));
    std::string kind, name, extra;
    step->times = 0;
    if (!(in >> kind))
        return true;
    in >> name;
    const expected::Placed* button = expected::Button(name);
    if (kind == "key" && name.size() == 3 && name.compare(0, 2, "KP") == 0 && name[2] >= '0' &&
        name[2] <= '9')
    {
        // A keypad key's code is its digit, as is the joystick button's.
        step->kind = joystick ? SessionStep::JOY : SessionStep::KEY;
        step->joyButton = name[2] - '0';
    }
    else if (kind == "joy" && !name.empty() && name.size() <= 3 &&
             name.find_first_not_of("0123456789") == std::string::npos)
    {
        step->kind = SessionStep::JOY;
        step->joyButton = atoi(name.c_str());
    }
    else if ((kind == "press" || kind == "release") && button)
    {
        step->kind = kind == "press" ? SessionStep::PRESS : SessionStep::RELEASE;
        step->x = button->x + expected::kTapInset;
        step->y = button->y + expected::kTapInset;
    }
    else
        return false;
    step->key = name;
    const char* moves = getenv("SESSION_MOVES");
    step->times = in >> extra && moves && atoi(moves) > 0 ? atoi(moves) : 1;
    if (kind == "joy" && !joystick)
        step->times = 0;
    return (extra.empty() || extra == "moves") && !(in >> extra);
}
} // namespace

bool ReadSession(const std::string& path, std::vector<SessionStep>* steps, std::string* error,
                 bool joystick, SessionStep* start)
{
    std::ifstream file(path);
    *error = file ? "" : "cannot read " + path;
    std::string line;
    for (int number = 1; error->empty() && std::getline(file, line); ++number)
    {
        SessionStep step;
        // The step, then after "|" the picture ("-" for none) and the caption.
        const size_t bar = line.find('|');
        std::istringstream shown(bar == std::string::npos ? "" : line.substr(bar + 1));
        std::getline(shown >> step.picture >> std::ws, step.caption);
        if (step.picture == "-")
            step.picture.clear();
        const std::string what = line.substr(0, bar);
        if (what.compare(0, 5, "start") == 0 && what.find_first_not_of(' ', 5) == std::string::npos)
        {
            if (start)
                *start = step;
        }
        else if (!ParseStep(what, &step, joystick))
            *error = path + ":" + std::to_string(number) + ": not a step: " + line;
        else if (step.times > 0)
            steps->push_back(step);
    }
    return error->empty();
}
