# Read by cpack when it runs: the Debian generator dates every member of the package by
# SOURCE_DATE_EPOCH, which is set here so that the plain `package` target is reproducible.
include(${CMAKE_CURRENT_LIST_DIR}/source_date_epoch.cmake)
zok_source_date_epoch("${CPACK_ZOK_SOURCE_DIR}" epoch)
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
