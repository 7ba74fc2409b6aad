# Cross-build for the device: ARMv7 hard-float (Debian armhf).
#
#   tools/device.sh armhf         sysroot, build, tests under qemu-arm, package
#
# or by hand, with a sysroot holding the device's SDL 1.2 build:
#
#   cmake -S . -B build-device -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake \
#         -DDEVICE_SYSROOT=/path/to/sysroot -DHOST_PLATFORM=OFF -DBUILD_TESTING=OFF
set(TOOLCHAIN_PREFIX "arm-linux-gnueabihf-" CACHE STRING "Cross compiler prefix")
set(DEVICE_ARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/arm-linux.cmake)
