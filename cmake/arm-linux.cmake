# What the device toolchain files share: an ARM Linux GNU cross toolchain
# (Debian's g++-<triplet>), a sysroot with SDL 1.2, SDL_image and SDL_ttf
# and their pkg-config files, and qemu-arm to run what is built.
#
# The including file sets TOOLCHAIN_PREFIX (the triplet and a dash), DEVICE_ARCH
# (Debian's name for the architecture, used in the package name) and, if
# needed, the CPU flags in DEVICE_ARCH_FLAGS.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(DEVICE_SYSROOT "" CACHE PATH "Sysroot with the device's libraries and headers")
# try_compile projects read this file again: hand them the settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEVICE_SYSROOT TOOLCHAIN_PREFIX)

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}g++)
set(CMAKE_C_FLAGS_INIT "${DEVICE_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${DEVICE_ARCH_FLAGS}")

if(DEVICE_SYSROOT)
  set(CMAKE_SYSROOT ${DEVICE_SYSROOT})
  set(CMAKE_FIND_ROOT_PATH ${DEVICE_SYSROOT})
  # pkg-config must read the device's .pc files, not the build machine's.
  set(ENV{PKG_CONFIG_SYSROOT_DIR} ${DEVICE_SYSROOT})
  string(REGEX REPLACE "-$" "" _triplet "${TOOLCHAIN_PREFIX}")
  set(ENV{PKG_CONFIG_LIBDIR}
      "${DEVICE_SYSROOT}/usr/lib/pkgconfig:${DEVICE_SYSROOT}/usr/lib/${_triplet}/pkgconfig:${DEVICE_SYSROOT}/usr/share/pkgconfig")
  # ctest runs the ARM programs in Debian's user-mode emulator, which loads
  # their libraries from the sysroot.
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L ${DEVICE_SYSROOT})
endif()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
