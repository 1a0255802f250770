# zarvex_soname_of(PREFIX NAME OUT): the name the dynamic linker knows a
# library found by pkg_check_modules(PREFIX ...) by ("libarchive.so.13"), for
# the libraries Zarvex loads when first needed instead of linking them.
function(zarvex_soname_of prefix name out)
  set(_soname "")
  foreach(_library IN LISTS ${prefix}_LINK_LIBRARIES)
    get_filename_component(_file "${_library}" NAME)
    if(_file MATCHES "^${name}\\.so")
      file(REAL_PATH "${_library}" _real)
      get_filename_component(_real "${_real}" NAME)
      string(REGEX MATCH "^${name}\\.so\\.[0-9]+" _soname "${_real}")
    endif()
  endforeach()
  if(_soname STREQUAL "")
    message(FATAL_ERROR "Cannot tell the run-time name of ${name} from ${${prefix}_LINK_LIBRARIES}")
  endif()
  set(${out} "${_soname}" PARENT_SCOPE)
endfunction()
