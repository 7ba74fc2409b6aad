# One whole scripted session of the program under valgrind memcheck, on SDL's
# dummy video driver (cmake -P; the memcheck test of cmake/checks.cmake).
# Fails on any invalid access, on any byte definitely lost outside what
# tools/memcheck.supp allows, and when the session did not happen.
# The label font stays; the launcher goes, so that the hand-off fails, the
# process ends by itself and valgrind sees the whole exit path.
file(REMOVE ${SYSTEM}/vanumenu)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy LD_PRELOAD=${SESSION}
          valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite
          --error-exitcode=99 --suppressions=tools/memcheck.supp --log-file=${OUT}.log ${TVOUT}
  OUTPUT_FILE ${OUT}.out ERROR_FILE ${OUT}.err RESULT_VARIABLE status)
file(READ ${OUT}.out log)
foreach(line ">> SET_MODE : TV+LCD & PAL" ">> MOVE : RIGHT (330, 240)" "exit code(--view-apps) !!")
  string(FIND "${log}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the session did not log \"${line}\"; its log:\n${log}")
  endif()
endforeach()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "valgrind reports errors (exit status ${status}); see ${OUT}.log")
endif()
