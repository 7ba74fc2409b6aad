#include "tests/scriptedsession.h"
#include "tests/expected.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace
{
bool ParseStep(const std::string& line, SessionStep* step)
{
    std::istringstream in(line.substr(0, line.find('#')));
    std::string kind, extra;
    if (!(in >> kind))
        return false;
    step->times = 1;
    if (kind == "key")
    {
        step->kind = SessionStep::KEY;
        in >> step->key;
        const bool ok = step->key.size() == 3 && step->key.compare(0, 2, "KP") == 0 &&
                        step->key[2] >= '0' && step->key[2] <= '9';
        if (!ok)
            return false;
    }
    else if (kind == "press" || kind == "release")
    {
        step->kind = kind == "press" ? SessionStep::PRESS : SessionStep::RELEASE;
        std::string name;
        in >> name;
        const expected::Placed* button = expected::Button(name);
        if (!button)
            return false;
        step->x = button->x + expected::kTapInset;
        step->y = button->y + expected::kTapInset;
    }
    else
        return false;
    if (in >> extra)
    {
        if (extra != "moves")
            return false;
        const char* moves = getenv("SESSION_MOVES");
        step->times = moves && atoi(moves) > 0 ? atoi(moves) : 1;
    }
    return !(in >> extra);
}
} // namespace

bool ReadSession(const std::string& path, std::vector<SessionStep>* steps, std::string* error)
{
    std::ifstream file(path);
    if (!file)
    {
        *error = "cannot read " + path;
        return false;
    }
    steps->clear();
    std::string line;
    for (int number = 1; std::getline(file, line); ++number)
    {
        if (line.find_first_not_of(" \t") == std::string::npos ||
            line.find_first_not_of(" \t") == line.find('#'))
            continue;
        SessionStep step;
        if (!ParseStep(line, &step))
        {
            *error = path + ":" + std::to_string(number) + ": not a step: " + line;
            return false;
        }
        steps->push_back(step);
    }
    return true;
}
