# Packs the app folder that cpack has staged (installed and stripped) into
# <CPACK_PACKAGE_FILE_NAME>.tar.gz, so that its bytes depend only on the
# commit: every entry carries the commit's time, in name order, owned by 0:0
# without names, 0755 for folders and programs and 0644 for other files
# whatever the umask was, and gzip leaves out its own name and time.
# Run by cpack (the External generator of CMakeLists.txt).
#
# The time is SOURCE_DATE_EPOCH when set, else that of the last commit of
# the source folder, else a fixed one (outside a git checkout). A checkout
# whose commit git cannot read stops the packing rather than taking another
# time.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "" AND EXISTS "${CPACK_TVOUT_SOURCE_DIR}/.git")
  execute_process(COMMAND git -C "${CPACK_TVOUT_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "git cannot read the last commit's time in ${CPACK_TVOUT_SOURCE_DIR} "
                        "(${failed}): install git, or set SOURCE_DATE_EPOCH")
  endif()
elseif(epoch STREQUAL "")
  set(epoch 946684800) # 2000-01-01 00:00 UTC
endif()

set(package "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.tar.gz")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
          tar --create --format=gnu --sort=name --mtime=@${epoch} --owner=0 --group=0
          --numeric-owner --mode=u+w,go-w,a+rX -C "${CPACK_TOPLEVEL_DIRECTORY}"
          "${CPACK_PACKAGE_FILE_NAME}"
  COMMAND gzip -9 --no-name
  OUTPUT_FILE "${package}" RESULTS_VARIABLE results)
if(NOT results STREQUAL "0;0")
  message(FATAL_ERROR "tar and gzip ended with ${results} making ${package}")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${package}")
