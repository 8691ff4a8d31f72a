# Writes CHANGELOG.md in the Debian changelog format, which Debian's tools read from a package:
#   cmake -D CHANGELOG=<CHANGELOG.md> -D VERSION=<project version> -D MAINTAINER=<name <mail>>
#         -D OUTPUT=<file> -P debian_changelog.cmake
# Entries are "## <version> (<yyyy-mm-dd>)" headings followed by "- " items, whose lines
# continue indented by two spaces. The newest entry must be the project's version.
file(STRINGS ${CHANGELOG} lines ENCODING UTF-8)
set(text "")
set(entry "")

macro(close_entry)
  if(entry)
    string(APPEND text "\n -- ${MAINTAINER}  ${entry_date}\n")
  endif()
endmacro()

foreach(line IN LISTS lines)
  if(line MATCHES "^## ([^ ]+) \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$")
    set(version ${CMAKE_MATCH_1})
    set(day ${CMAKE_MATCH_2})
    if(NOT entry AND NOT version STREQUAL VERSION)
      message(FATAL_ERROR "CHANGELOG.md: the newest entry is ${version}, the project is ${VERSION}")
    endif()
    close_entry()
    if(entry)
      string(APPEND text "\n")
    endif()
    set(entry ${version})
    # RFC 5322 date with an English day name, as Debian requires; noon keeps the day in any zone.
    execute_process(
      COMMAND date -u -R -d "${day} 12:00"
      OUTPUT_VARIABLE entry_date
      OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
    string(APPEND text "zok (${version}) unstable; urgency=medium\n\n")
  elseif(entry AND line MATCHES "^- (.*)$")
    string(APPEND text "  * ${CMAKE_MATCH_1}\n")
  elseif(entry AND line MATCHES "^  (.*)$")
    string(APPEND text "    ${CMAKE_MATCH_1}\n")
  elseif(entry AND NOT line STREQUAL "")
    message(FATAL_ERROR "CHANGELOG.md: not an item of entry ${entry}: ${line}")
  endif()
endforeach()
if(NOT entry)
  message(FATAL_ERROR "CHANGELOG.md: no entry for version ${VERSION}")
endif()
close_entry()
file(WRITE ${OUTPUT} "${text}")
