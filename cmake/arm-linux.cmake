# What the device toolchain files share: an ARM Linux GNU cross compiler, a
# sysroot holding the device's C library, SDL 1.2, SDL_image and SDL_ttf with
# their pkg-config files, and qemu-arm to run what is built.
#
# Given on the command line (both optional):
#   TOOLCHAIN_PREFIX  the text before "gcc", ending in a dash: Debian's
#                     arm-linux-gnueabihf- (the default) or a vendor's, such as
#                     /opt/x/bin/arm-vendor-linux-gnueabihf-
#   DEVICE_SYSROOT    the sysroot; by default the compiler's own
#                     (-print-sysroot), which Debian's cross compilers lack
#   DEVICE_RUN_ROOT   the root qemu-arm loads what it runs from; by default
#                     the sysroot
#
# The including file sets the default TOOLCHAIN_PREFIX, DEVICE_ARCH (Debian's
# name for the architecture, used in the package name), the CPU flags in
# DEVICE_ARCH_FLAGS and the emulated CPU in DEVICE_EMULATOR_CPU.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(DEVICE_SYSROOT "" CACHE PATH "Sysroot with the device's libraries and headers")
set(DEVICE_RUN_ROOT "" CACHE PATH "Root qemu-arm loads the libraries from (default: the sysroot)")
# try_compile projects read this file again: hand them the settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEVICE_SYSROOT TOOLCHAIN_PREFIX)

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}g++)

set(_sysroot "${DEVICE_SYSROOT}")
if(NOT _sysroot)
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-sysroot RESULT_VARIABLE _failed
                  OUTPUT_VARIABLE _sysroot OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(_failed)
    message(FATAL_ERROR "cannot run ${CMAKE_C_COMPILER}: check TOOLCHAIN_PREFIX")
  endif()
  if(_sysroot STREQUAL "" OR _sysroot STREQUAL "/")
    # Its headers and libraries would be the build machine's own.
    message(FATAL_ERROR "${CMAKE_C_COMPILER} has no sysroot of its own: set DEVICE_SYSROOT "
                        "to the folder with the device's C library and SDL (-DDEVICE_SYSROOT=...)")
  endif()
endif()
set(CMAKE_SYSROOT ${_sysroot})
set(CMAKE_FIND_ROOT_PATH ${_sysroot})

# The C library comes from the sysroot: start files, libc and headers. A
# cross compiler made for a newer C library (Debian 12's, for one) links its
# own start files and libc and reads its own headers first, whatever the
# sysroot, and the program would then need that newer C library on the
# device. The sysroot's library folder is found by its crt1.o: a C library
# laid out for a cross compiler (usr/<triplet>/lib, with its headers in
# usr/<triplet>/include) comes before the sysroot's own.
file(GLOB _crt1 "${_sysroot}/usr/*/lib/crt1.o" "${_sysroot}/usr/lib/*/crt1.o"
     "${_sysroot}/usr/lib/crt1.o" "${_sysroot}/lib/crt1.o")
set(_link "")
set(_includes "")
if(_crt1)
  list(GET _crt1 0 _crt1)
  get_filename_component(_libdir "${_crt1}" DIRECTORY)
  # libstdc++ and libgcc_s are the compiler's own and may need a newer C
  # library than the sysroot's; the device has its own copies, so their
  # needs are not checked against it (the program's own still are).
  set(_link "-B${_libdir} -L${_libdir} -Wl,--allow-shlib-undefined")
  # The compiler's own folders (libstdc++, its built-in headers) stay; a C
  # library's headers elsewhere (a folder with features.h) and the build
  # machine's are replaced by the sysroot's.
  get_filename_component(_multiarch "${_libdir}" NAME)
  if(_multiarch STREQUAL "lib")
    get_filename_component(_libc_includes "${_libdir}/../include" ABSOLUTE)
  else()
    set(_libc_includes "${_sysroot}/usr/include/${_multiarch}")
  endif()
  foreach(_lang c c++)
    execute_process(COMMAND ${CMAKE_C_COMPILER} --sysroot=${_sysroot} -x${_lang} -E -v /dev/null
                    OUTPUT_QUIET ERROR_VARIABLE _search)
    string(REGEX REPLACE ".*#include <\\.\\.\\.> search starts here:\n(.*)\nEnd of search list.*"
                         "\\1" _search "${_search}")
    string(REGEX REPLACE "[ \t]*\n[ \t]*" ";" _search "${_search}")
    set(_flags "-nostdinc")
    foreach(_dir IN LISTS _search)
      string(STRIP "${_dir}" _dir)
      string(FIND "${_dir}" "${_sysroot}" _in_sysroot)
      if(_in_sysroot EQUAL 0 OR EXISTS "${_dir}/features.h" OR _dir MATCHES "^/usr(/local)?/include$")
        continue()
      endif()
      string(APPEND _flags " -isystem ${_dir}")
    endforeach()
    if(IS_DIRECTORY "${_libc_includes}")
      string(APPEND _flags " -isystem ${_libc_includes}")
    endif()
    string(APPEND _flags " -isystem ${_sysroot}/usr/include")
    list(APPEND _includes "${_flags}")
  endforeach()
  list(GET _includes 0 _c_includes)
  list(GET _includes 1 _cxx_includes)
endif()

set(CMAKE_C_FLAGS_INIT "${DEVICE_ARCH_FLAGS} ${_c_includes}")
set(CMAKE_CXX_FLAGS_INIT "${DEVICE_ARCH_FLAGS} ${_cxx_includes}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_link}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_link}")

# pkg-config reads the sysroot's .pc files and never the build machine's.
file(GLOB _pkgconfig LIST_DIRECTORIES true "${_sysroot}/usr/lib/pkgconfig"
     "${_sysroot}/usr/lib/*/pkgconfig" "${_sysroot}/usr/share/pkgconfig")
string(REPLACE ";" ":" _pkgconfig "${_pkgconfig}")
set(ENV{PKG_CONFIG_LIBDIR} "${_pkgconfig}")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${_sysroot}")

# ctest runs the ARM programs in Debian's user-mode emulator, which loads
# their libraries from the sysroot or DEVICE_RUN_ROOT.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)
if(DEVICE_EMULATOR_CPU)
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -cpu ${DEVICE_EMULATOR_CPU})
endif()
if(DEVICE_RUN_ROOT)
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -L ${DEVICE_RUN_ROOT})
else()
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -L ${_sysroot})
endif()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
