# Installation in the standard places (GNUInstallDirs) and the two Debian packages (CPack):
# the application server and the desktop client. Each keeps the project's shared libraries in
# a private folder of its own, found through a relative RPATH, so the two never share a file
# and an installation works wherever its prefix is.

# Absolute system folders when installing into /usr (the packages), else under the prefix.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(SALDO_CONF_DESTINATION /etc/saldo)
  set(SALDO_UNIT_DESTINATION /lib/systemd/system)
else()
  set(SALDO_CONF_DESTINATION ${CMAKE_INSTALL_SYSCONFDIR}/saldo)
  set(SALDO_UNIT_DESTINATION ${CMAKE_INSTALL_LIBDIR}/systemd/system)
endif()

# Where the installed client finds the machine's configuration and its screen modules.
if(TARGET library)
  target_compile_definitions(library PRIVATE SALDO_LIB_TO_SYSCONF="${SALDO_LIB_TO_SYSCONF}")
endif()
if(TARGET saldo-shell)
  target_compile_definitions(saldo-shell PRIVATE
                             SALDO_BIN_TO_MODULES="${SALDO_BIN_TO_CLIENT_LIBDIR}")
endif()

function(saldo_install_libs component destination)
  foreach(lib ${ARGN})
    if(TARGET ${lib})
      install(TARGETS ${lib} LIBRARY DESTINATION ${destination} COMPONENT ${component})
    endif()
  endforeach()
endfunction()

if(TARGET saldo-server)
  set_target_properties(saldo-server PROPERTIES INSTALL_RPATH "$ORIGIN/${SALDO_BIN_TO_SERVER_LIBDIR}")
  install(TARGETS saldo-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
  saldo_install_libs(server ${SALDO_SERVER_LIBDIR} core)
  install(FILES packaging/server.conf DESTINATION ${SALDO_CONF_DESTINATION} COMPONENT server)
  install(FILES packaging/saldo-server.service DESTINATION ${SALDO_UNIT_DESTINATION}
          COMPONENT server)
endif()

if(TARGET saldo-shell AND TARGET Rdq63500)
  set_target_properties(saldo-shell PROPERTIES INSTALL_RPATH "$ORIGIN/${SALDO_BIN_TO_CLIENT_LIBDIR}")
  foreach(lib core platform library Rdq63500)
    if(TARGET ${lib})
      set_target_properties(${lib} PROPERTIES INSTALL_RPATH "$ORIGIN")
    endif()
  endforeach()
  install(TARGETS saldo-shell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client)
  saldo_install_libs(client ${SALDO_CLIENT_LIBDIR} core platform library Rdq63500)
  install(FILES packaging/client.conf DESTINATION ${SALDO_CONF_DESTINATION} COMPONENT client)
  install(FILES packaging/saldo-comercial.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT client)
  install(FILES packaging/saldo-comercial.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT client)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME saldo)
set(CPACK_PACKAGE_VENDOR "Saldo Comercial")
set(CPACK_PACKAGE_CONTACT "Saldo Comercial <saldo@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Saldo Comercial: saldos de implantação das contas comerciais")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL server client)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME saldo-server)
set(CPACK_COMPONENT_SERVER_DESCRIPTION
    "The application server: stores the opening balances in SQLite, PostgreSQL or Firebird and serves the desktops, as a systemd service.")
# A Firebird database file opened by the server itself needs the engine, which is loaded at run
# time and so not found among the linked libraries.
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS "firebird3.0-server-core")
set(CPACK_DEBIAN_SERVER_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/server/conffiles
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/server/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/server/prerm
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/server/postrm)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME saldo-desktop)
# Loaded at run time, so not found among the linked libraries: the SVG plugin draws the tool
# bar's own icons, the catalogue puts Qt's dialogs in Portuguese.
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
# The shell needs a platform plugin beyond xcb for remote displays (VNC).
set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_COMPONENT_CLIENT_DESCRIPTION
    "The desktop shell with the balance screen, which reads and records balances through the application server.")
set(CPACK_DEBIAN_CLIENT_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_CLIENT_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/client/conffiles)
set(CPACK_DEBIAN_CLIENT_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
