// Locations on the device, compiled in from DEVICE_SYSTEM_DIR (a CMake cache
// variable). A PC run or a test points it at a folder of its own.
#ifndef CORE_DEVICEPATHS_H
#define CORE_DEVICEPATHS_H

#ifndef DEVICE_SYSTEM_DIR
#define DEVICE_SYSTEM_DIR "/usr/vanu"
#endif

// Working directory for the launcher, the launcher itself, the label font.
#define LAUNCHER_DIR DEVICE_SYSTEM_DIR
#define LAUNCHER_PATH DEVICE_SYSTEM_DIR "/vanumenu"
#define LABEL_FONT_PATH DEVICE_SYSTEM_DIR "/HYUni_KLR_B_V1.01.ttf"

#endif
