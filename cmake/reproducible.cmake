# One commit builds to the same bytes in any folder at any time: paths of the build machine are
# mapped to fixed names, date and time macros are refused (whatever ZOK_WERROR says), and PE
# headers carry no link time. The binary folder usually lies inside the source folder; GCC tries
# the last mapping first.
add_compile_options(
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
  -ffile-prefix-map=${PROJECT_BINARY_DIR}=build
  -Werror=date-time)
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
