# Run by cpack on the staged tree before it makes the Debian package.
# Debian keeps the programs of games in /usr/games (its users' PATH has it);
# every other installation keeps them in bin/. Also drops the compiler's
# notes that stripping leaves in the programs.
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${usr}/bin")
  message(FATAL_ERROR "deb_layout.cmake: no programs staged in ${usr}/bin")
endif()
file(MAKE_DIRECTORY "${usr}/games")
file(GLOB programs "${usr}/bin/*")
foreach(program IN LISTS programs)
  get_filename_component(name "${program}" NAME)
  file(RENAME "${program}" "${usr}/games/${name}")
  execute_process(
    COMMAND strip --remove-section=.comment --remove-section=.note "${usr}/games/${name}"
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "deb_layout.cmake: could not strip ${name}")
  endif()
endforeach()
file(REMOVE_RECURSE "${usr}/bin")

# The service that runs gorse-host as a public server; not enabled by
# installing the package.
# (file(COPY), not file(INSTALL), which would put DESTDIR in front again.)
file(COPY "${CMAKE_CURRENT_LIST_DIR}/gorse-host.service"
  DESTINATION "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/lib/systemd/system"
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
