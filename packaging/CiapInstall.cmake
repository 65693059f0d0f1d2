# Installed with the server: the example systemd unit and its companions, and the operations
# guide. The unit names the installed server by its full path, so it is written at install
# time, when the prefix (also one given to cmake --install --prefix) is known.
set(ciap_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(ciap_unit_staged ${CMAKE_CURRENT_BINARY_DIR}/ciap-server.service)

install(CODE "
    set(CIAP_BIN_DIR \"\${CMAKE_INSTALL_PREFIX}/bin\")
    set(CIAP_DOC_DIR \"\${CMAKE_INSTALL_PREFIX}/share/doc/ciap\")
    configure_file(\"${ciap_packaging_dir}/ciap-server.service.in\" \"${ciap_unit_staged}\" @ONLY)
    file(INSTALL \"${ciap_unit_staged}\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/doc/ciap/examples\")
")
install(FILES ${ciap_packaging_dir}/ciap-server.env.example
              ${ciap_packaging_dir}/ciap-server.sysusers
              ${ciap_packaging_dir}/pgpass.example
        DESTINATION share/doc/ciap/examples)
install(FILES ${PROJECT_SOURCE_DIR}/docs/operations.md DESTINATION share/doc/ciap)
