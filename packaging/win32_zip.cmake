# Makes the Windows release zip: zok.exe, zok-cli.exe, README.txt and SHA256SUMS.
#   cmake -D SOURCE_DIR=<sources> -D STAGE_DIR=<scratch folder> -D ZIP_FILE=<zip>
#         -D ZOK_EXE=<zok.exe> -D ZOK_CLI_EXE=<zok-cli.exe> -P win32_zip.cmake
# The same programs give the same zip: members in a fixed order, every member dated by the
# release time stamp in UTC with fixed permissions, and no owner or extra time fields (zip -X).
include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
zok_source_date_epoch(${SOURCE_DIR} epoch)

file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR})
file(COPY_FILE ${ZOK_EXE} ${STAGE_DIR}/zok.exe)
file(COPY_FILE ${ZOK_CLI_EXE} ${STAGE_DIR}/zok-cli.exe)

# The user guide (not the developer README) as plain text for Notepad: Windows line ends, and a
# byte-order mark so that editors that default to the ANSI code page still read it as UTF-8.
# The setup program installs the same file.
file(READ ${SOURCE_DIR}/docs/user-guide.txt readme)
string(REPLACE "\r\n" "\n" readme "${readme}")
string(REPLACE "\n" "\r\n" readme "${readme}")
string(ASCII 239 187 191 bom)
file(WRITE ${STAGE_DIR}/README.txt "${bom}${readme}")

set(members zok.exe zok-cli.exe README.txt)
set(sums "")
foreach(member IN LISTS members)
  file(SHA256 ${STAGE_DIR}/${member} sum)
  string(APPEND sums "${sum}  ${member}\n")
endforeach()
file(WRITE ${STAGE_DIR}/SHA256SUMS "${sums}")
list(APPEND members SHA256SUMS)

foreach(member IN LISTS members)
  file(CHMOD ${STAGE_DIR}/${member} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  execute_process(COMMAND touch -d @${epoch} ${STAGE_DIR}/${member} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(REMOVE ${ZIP_FILE})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -q -9 ${ZIP_FILE} ${members}
  WORKING_DIRECTORY ${STAGE_DIR}
  COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Package: ${ZIP_FILE}")
