# The one time stamp of a release: SOURCE_DATE_EPOCH if the caller set it, else the time of the
# last commit. Every date in the packages is this one, so rebuilding a commit gives the same bytes.
function(zok_source_date_epoch source_dir out_var)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(${out_var} "$ENV{SOURCE_DATE_EPOCH}" PARENT_SCOPE)
    return()
  endif()
  execute_process(
    COMMAND git -C ${source_dir} log -1 --format=%ct
    OUTPUT_VARIABLE epoch
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No commit to date the package by: set SOURCE_DATE_EPOCH")
  endif()
  set(${out_var} "${epoch}" PARENT_SCOPE)
endfunction()
