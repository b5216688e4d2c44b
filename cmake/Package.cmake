# The Debian package (CPack DEB): `cpack -G DEB` in a build configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does both). Dependencies come
# from the programs' shared libraries (dpkg-shlibdeps) plus what the
# post-install step uses; the post-install step gives ntrctl and the window
# their network capabilities.
set(NTR_DEB_RELEASE 1)
set(NTR_DEB_VERSION "${PROJECT_VERSION}-${NTR_DEB_RELEASE}")

# The Debian changelog, compressed as Debian policy wants it.
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in
               ${PROJECT_BINARY_DIR}/packaging/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
  COMMAND ${NTR_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/packaging/changelog.Debian
          > ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.Debian VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz DESTINATION ${NTR_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ntr-tool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kaldor)
set(CPACK_PACKAGE_CONTACT "NTR tool maintainers <ntr-tool@example.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${NTR_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap in the post-install step.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin")
if(TARGET ntr-tool)
  # The window: Qt's platform plugins (xcb, wayland) are a package of their
  # own, its Japanese text needs a CJK font, and Qt's own dialogs speak
  # Japanese with Qt's translations.
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
         ", qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic | fonts-noto-cjk")
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "tshark | wireshark")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manage NTR7100 switches over raw Ethernet")
# CPack puts the summary first and indents these lines itself (an empty line
# becomes " .").
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Finds the NTR7100-8G, NTR7100-24G and NTR7100-8PoE switches on an Ethernet
segment, shows the state of their ports and reads and changes their
settings, in the switches' management protocol (EtherType 0xE812).

The package holds ntrctl (the command line), the window ntr-tool when it
was built, the switch simulator ntr-switch-sim, their manual pages, bash
completion for ntrctl and a Wireshark dissector of the protocol. The
post-install step gives ntrctl and ntr-tool the capabilities CAP_NET_RAW
and CAP_NET_ADMIN, so they run without root.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
