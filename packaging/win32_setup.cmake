# Makes the setup program from the files the zip was made of (win32_zip.cmake runs first):
#   cmake -D SOURCE_DIR=<sources> -D STAGE_DIR=<the zip's folder> -D SETUP_FILE=<setup.exe>
#         -D VERSION=<x.y.z> -D HOMEPAGE=<url> -P win32_setup.cmake
# makensis stores no file times (SetDateSave off in the script) and takes the release time
# stamp for its own, so the same files give the same setup program.
include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
zok_source_date_epoch(${SOURCE_DIR} epoch)

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis not found: install the nsis package (scripts/install-deps.sh)")
endif()
file(REMOVE ${SETUP_FILE})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch} TZ=UTC
          ${MAKENSIS} -V2 -INPUTCHARSET UTF8
          -DVERSION=${VERSION} -DHOMEPAGE=${HOMEPAGE} -DSTAGE_DIR=${STAGE_DIR}
          -DICON=${SOURCE_DIR}/resources/zok.ico -DOUT_FILE=${SETUP_FILE}
          ${CMAKE_CURRENT_LIST_DIR}/zok_setup.nsi
  COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Package: ${SETUP_FILE}")
