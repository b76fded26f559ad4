# Debian packages made by CPack from the install rules (scripts/package.sh runs
# it with CMAKE_INSTALL_PREFIX=/usr):
#   kelvane        the wizard, kelvane-cli, the helper kelvane-netprobe, the
#                  fourteen language modules, the desktop entry, icon,
#                  AppStream metainfo, manual pages and the bash completion
#                  (install component "kelvane")
#   lmq-routersim  the router emulator, its manual page and the example hook
#                  for a LAN address move ("routersim")
# Library dependencies come from dpkg-shlibdeps. Hand-listed: libcap2-bin (its
# setcap is what the postinst runs) and libqrencode4 (the wireless QR code).

set(_debian_src ${CMAKE_SOURCE_DIR}/cmake/debian)
set(_debian_out ${CMAKE_BINARY_DIR}/debian)

# Each package carries the copyright file and the changelog (gzip -9n, as
# Debian wants it) in /usr/share/doc/<package>/.
configure_file(${_debian_src}/changelog.in ${_debian_out}/changelog @ONLY)
find_program(KELVANE_GZIP gzip)
if(KELVANE_GZIP)
  add_custom_command(OUTPUT ${_debian_out}/changelog.gz
    COMMAND ${KELVANE_GZIP} -9 -n -c ${_debian_out}/changelog > ${_debian_out}/changelog.gz
    DEPENDS ${_debian_out}/changelog
    COMMENT "Compressing the package changelog"
    VERBATIM)
  add_custom_target(kelvane_package_docs ALL DEPENDS ${_debian_out}/changelog.gz)
  foreach(_pkg kelvane:kelvane lmq-routersim:routersim)
    string(REPLACE ":" ";" _pair ${_pkg})
    list(GET _pair 0 _name)
    list(GET _pair 1 _component)
    install(FILES ${_debian_src}/copyright ${_debian_out}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${_name} COMPONENT ${_component})
  endforeach()
endif()

# The language modules are data only and link against nothing; lintian is
# told so.
install(FILES ${_debian_src}/kelvane.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kelvane COMPONENT kelvane)

# The postinst names the privileged helper by its full path.
set(KELVANE_POSTINST_HELPER ${CMAKE_INSTALL_PREFIX}/${KELVANE_INSTALL_DIR}/kelvane-netprobe)
configure_file(${_debian_src}/postinst.in ${_debian_out}/kelvane/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "Kelvane developers")
set(CPACK_PACKAGE_CONTACT "Kelvane developers <kelvane@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The install code sees DESTDIR, so it leaves the capabilities to the postinst.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL kelvane routersim)
set(CPACK_COMPONENTS_GROUPING IGNORE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_KELVANE_PACKAGE_NAME kelvane)
# Qt's own texts (a field's context menu, standard buttons) in the wizard's language.
set(CPACK_DEBIAN_KELVANE_PACKAGE_DEPENDS "libcap2-bin, libqrencode4, qt6-translations-l10n")
# Two of the fourteen languages need a CJK font; no library names one. Qt's
# Wayland plug-in lets the wizard run natively on a Wayland desktop (without
# it, through XWayland).
set(CPACK_DEBIAN_KELVANE_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-wayland")
set(CPACK_DEBIAN_KELVANE_PACKAGE_CONTROL_EXTRA ${_debian_out}/kelvane/postinst)
set(CPACK_COMPONENT_KELVANE_DESCRIPTION
"setup wizard for the LMQ-5812 broadband router
LMQ-5812 Easy Setup leads from a factory-fresh LMQ-5812 router to a working
Internet connection: it checks this computer's network, finds the router on
the LAN, logs in, writes the WAN and wireless settings, restarts the router
and tests the connection hop by hop. An advanced mode gives direct LAN,
wireless, WAN and system settings. Fourteen languages.

The package also holds kelvane-cli, the same operations on the command line.
Neither program holds a privilege: router discovery and ping go through the
small helper kelvane-netprobe, the only program given the capabilities
cap_net_bind_service and cap_net_raw when the package is installed.")

set(CPACK_DEBIAN_ROUTERSIM_PACKAGE_NAME lmq-routersim)
# The example LAN-move hook starts dnsmasq.
set(CPACK_DEBIAN_ROUTERSIM_PACKAGE_SUGGESTS dnsmasq-base)
set(CPACK_COMPONENT_ROUTERSIM_DESCRIPTION
"emulator of the LMQ-5812 router for testing its setup wizard
lmq-routersim answers like an LMQ-5812 broadband router: its web interface
with the login flavours, status pages and settings forms, and the UDP
discovery responder, with switches for slow, silent or wrong answers. It is
meant for testing firmware and setup tools and for demonstrations.")

include(CPack)
