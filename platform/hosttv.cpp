// Stand-in for the device's TV calls on a PC. Instead of driving the TV
// encoder and the LCD it reports each call on standard error, one line per
// call, and keeps the lines for tests.
#include "platform/hosttv.h"
#include "platform/tvconfig.h"

#include <stdio.h>

namespace
{
std::vector<std::string>& Calls()
{
    static std::vector<std::string> calls;
    return calls;
}

void Report(const char* line)
{
    fprintf(stderr, "tvout: %s\n", line);
    Calls().push_back(line);
}
} // namespace

const std::vector<std::string>& HostTvCalls()
{
    return Calls();
}

void HostTvClearCalls()
{
    Calls().clear();
}

extern "C" int SDL_TvConfig(TvConfigRecord* config)
{
    // The record's bytes in memory order, as the device receives them.
    char line[64] = "SDL_TvConfig";
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(config);
    size_t length = sizeof("SDL_TvConfig") - 1;
    for (size_t i = 0; i < sizeof(TvConfigRecord); ++i)
        length += snprintf(line + length, sizeof(line) - length, " %02x", bytes[i]);
    Report(line);
    return 0;
}

extern "C" int SDL_SetLcdChange(int mode, int arg)
{
    char line[64];
    snprintf(line, sizeof(line), "SDL_SetLcdChange(%d, %d)", mode, arg);
    Report(line);
    return 0;
}
