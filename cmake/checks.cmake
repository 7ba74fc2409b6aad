# The memory check (tools/memcheck.sh): the real program under valgrind
# memcheck for one whole scripted session, run by cmake/memcheck.cmake.
if(MEMCHECK)
  enable_testing()
  add_test(NAME memcheck
    COMMAND ${CMAKE_COMMAND} -DTVOUT=$<TARGET_FILE:tvout> -DSESSION=$<TARGET_FILE:sessioninput>
            -DSYSTEM=${DEVICE_SYSTEM_DIR} -DOUT=${PROJECT_BINARY_DIR}/memcheck
            -P ${PROJECT_SOURCE_DIR}/cmake/memcheck.cmake
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(memcheck PROPERTIES LABELS memcheck TIMEOUT 600)
endif()

if(FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES Clang)
    message(FATAL_ERROR "FUZZ needs clang (CC=clang CXX=clang++), not ${CMAKE_CXX_COMPILER_ID}")
  endif()
  add_subdirectory(fuzz)
endif()
