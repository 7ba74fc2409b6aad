// PC stand-in for the device's TV calls: what was called, for tests to read.
#ifndef PLATFORM_HOSTTV_H
#define PLATFORM_HOSTTV_H

#include <string>
#include <vector>

// Every call since the last clear, one line each, exactly as written to
// standard error without the "tvout: " prefix, e.g. "SDL_SetLcdChange(5, 0)".
const std::vector<std::string>& HostTvCalls();
void HostTvClearCalls();

#endif
