# Read by cpack before it makes the package (CPACK_PROJECT_CONFIG_FILE, generated with the
# paths of the built binaries): the Depends field from dpkg-shlibdeps, as CPack's own scan
# would give it, without that scan's ldconfig calls for the private driver library.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(_dir "${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/shlibdeps")
  file(REMOVE_RECURSE "${_dir}")
  file(WRITE "${_dir}/debian/control" "")
  execute_process(
    COMMAND dpkg-shlibdeps -O --ignore-missing-info
      "$<TARGET_FILE:krx8>" $<$<TARGET_EXISTS:daqx>:"$<TARGET_FILE:daqx>">
    WORKING_DIRECTORY "${_dir}"
    RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _err
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT _rc EQUAL 0 OR NOT _out MATCHES "^shlibs:Depends=(.+)$")
    message(FATAL_ERROR "dpkg-shlibdeps failed: ${_err}")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
  file(REMOVE_RECURSE "${_dir}")
endif()
