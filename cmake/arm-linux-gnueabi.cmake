# Cross-build for the older devices: ARMv5TE soft-float (Debian armel), run
# on an emulated ARMv5 core so that a newer instruction fails the tests.
# Used like arm-linux-gnueabihf.cmake; tools/device.sh armel runs it all.
set(TOOLCHAIN_PREFIX "arm-linux-gnueabi-" CACHE STRING "Cross compiler prefix")
set(DEVICE_ARCH armel)
set(DEVICE_ARCH_FLAGS "-march=armv5te -mfloat-abi=soft")
set(DEVICE_EMULATOR_CPU arm926)
include(${CMAKE_CURRENT_LIST_DIR}/arm-linux.cmake)
