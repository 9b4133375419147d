# Runs after CPack has built the Debian package. CPack gives any package with a shared
# library under /usr/lib a postinst and a postrm that call ldconfig; the libraries in
# /usr/lib/pealix are loaded by path from the application directory and are not in the
# linker's cache, so the package is rebuilt without those two scripts.
find_program(PEALIX_DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${CPACK_TOPLEVEL_DIRECTORY}/pealix-repack")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND ${PEALIX_DPKG_DEB} --raw-extract "${deb}" "${tree}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb could not unpack ${deb}")
  endif()
  file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
  execute_process(COMMAND ${PEALIX_DPKG_DEB} --root-owner-group --build "${tree}" "${deb}"
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  file(REMOVE_RECURSE "${tree}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb could not rebuild ${deb}")
  endif()
endforeach()
