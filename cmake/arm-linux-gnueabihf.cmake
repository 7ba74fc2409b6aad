# Cross-build for the device: an ARM Linux GNU toolchain and a sysroot that
# holds the device's SDL 1.2 build (with its TV calls), SDL_image and SDL_ttf.
#
#   cmake -S . -B build-device -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake \
#         -DDEVICE_SYSROOT=/path/to/sysroot -DHOST_PLATFORM=OFF -DBUILD_TESTING=OFF
#
# TOOLCHAIN_PREFIX selects another triplet (for example arm-linux-gnueabi-).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(TOOLCHAIN_PREFIX "arm-linux-gnueabihf-" CACHE STRING "Cross compiler prefix")
set(DEVICE_SYSROOT "" CACHE PATH "Sysroot with the device's libraries and headers")

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}g++)

if(DEVICE_SYSROOT)
  set(CMAKE_SYSROOT ${DEVICE_SYSROOT})
  set(CMAKE_FIND_ROOT_PATH ${DEVICE_SYSROOT})
  # pkg-config must read the device's .pc files, not the build machine's.
  set(ENV{PKG_CONFIG_SYSROOT_DIR} ${DEVICE_SYSROOT})
  string(REGEX REPLACE "-$" "" _triplet "${TOOLCHAIN_PREFIX}")
  set(ENV{PKG_CONFIG_LIBDIR}
      "${DEVICE_SYSROOT}/usr/lib/pkgconfig:${DEVICE_SYSROOT}/usr/lib/${_triplet}/pkgconfig:${DEVICE_SYSROOT}/usr/share/pkgconfig")
endif()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
