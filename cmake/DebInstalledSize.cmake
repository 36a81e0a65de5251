# Run by CPack after it has made the packages (CPACK_POST_BUILD_SCRIPTS). CPack
# counts a symbolic link as a copy of its target and every folder as its block
# size; this sets each Debian package's Installed-Size to what dpkg-gencontrol
# counts instead: every regular file and symbolic link its size in KiB rounded
# up, every other entry (folders included) 1 KiB.
find_program(SORAKADO_DPKG_DEB dpkg-deb REQUIRED)

function(sorakado_installed_size tree out)
  set(total 1)  # the root folder
  file(GLOB_RECURSE entries LIST_DIRECTORIES TRUE RELATIVE "${tree}" "${tree}/*")
  foreach(name IN LISTS entries)
    if(name MATCHES "^DEBIAN(/|$)")
      continue()
    endif()
    set(entry "${tree}/${name}")
    if(IS_SYMLINK "${entry}")
      file(READ_SYMLINK "${entry}" target)
      string(LENGTH "${target}" bytes)
    elseif(IS_DIRECTORY "${entry}")
      math(EXPR total "${total} + 1")
      continue()
    else()
      file(SIZE "${entry}" bytes)
    endif()
    math(EXPR total "${total} + (${bytes} + 1023) / 1024")
  endforeach()
  set(${out} ${total} PARENT_SCOPE)
endfunction()

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND ${SORAKADO_DPKG_DEB} --raw-extract "${deb}" "${tree}"
    COMMAND_ERROR_IS_FATAL ANY)
  sorakado_installed_size("${tree}" size)
  file(READ "${tree}/DEBIAN/control" control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${size}\n" control
    "${control}")
  file(WRITE "${tree}/DEBIAN/control" "${control}")
  execute_process(COMMAND ${SORAKADO_DPKG_DEB} --root-owner-group -Zgzip --build "${tree}" "${deb}"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
