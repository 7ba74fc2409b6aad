# Cross-build for the device: ARMv7 hard-float (Debian armhf).
#
#   tools/device.sh armhf         sysroots, test build under qemu-arm, package
#
# or by hand, with a sysroot holding the device's C library and SDL 1.2:
#
#   cmake -S . -B build-device -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake \
#         -DDEVICE_SYSROOT=/path/to/sysroot -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release
#
# A vendor's compiler: add -DTOOLCHAIN_PREFIX=/opt/x/bin/arm-vendor-linux-gnueabihf-
set(TOOLCHAIN_PREFIX "arm-linux-gnueabihf-" CACHE STRING "Cross compiler prefix")
set(DEVICE_ARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/arm-linux.cmake)
