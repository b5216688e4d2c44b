# What `cmake --install` puts where (GNUInstallDirs): the programs, their
# manual pages, the bash completion of ntrctl, the monitor's systemd unit, the window's desktop entry and
# icons, the Wireshark dissector, and the README and architecture notes.
# Included at the end of the top-level CMakeLists.txt, after every program's
# folder, so that the window is installed when its target exists.
include(GNUInstallDirs)
# The documents go where the package's name says (Qt's packages may have
# included GNUInstallDirs before, with the project's name in its DOCDIR).
set(NTR_DOC_DIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/ntr-tool")

# Wireshark's global folder of Lua plugins (Debian: /usr/lib/<triplet>/wireshark/plugins).
set(NTR_WIRESHARK_PLUGIN_DIR "${CMAKE_INSTALL_LIBDIR}/wireshark/plugins"
    CACHE STRING "Folder of Wireshark's Lua plugins, relative to the prefix")
set(NTR_BASH_COMPLETION_DIR "${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
    CACHE STRING "Folder of bash completions, relative to the prefix")
# systemd's folder of system units (Debian 12: /lib/systemd/system, outside the prefix).
set(NTR_SYSTEMD_UNIT_DIR "/lib/systemd/system"
    CACHE STRING "Folder of systemd system units (absolute, or relative to the prefix)")

# Folders 0755 whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

find_program(NTR_GZIP gzip REQUIRED)

# The manual pages' date: the build's day, or SOURCE_DATE_EPOCH's for a
# reproducible package.
string(TIMESTAMP NTR_MANUAL_DATE "%Y-%m-%d" UTC)

# A manual page from man/NAME.1.in, with the project's version, compressed.
function(ntr_install_manual_page name)
  set(page ${PROJECT_BINARY_DIR}/man/${name}.1)
  configure_file(${PROJECT_SOURCE_DIR}/man/${name}.1.in ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${NTR_GZIP} -9 -n -c ${page} > ${page}.gz
    DEPENDS ${page} VERBATIM)
  add_custom_target(man_${name} ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

install(TARGETS ntrctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
ntr_install_manual_page(ntrctl)
install(FILES ${PROJECT_SOURCE_DIR}/completion/ntrctl.bash DESTINATION ${NTR_BASH_COMPLETION_DIR}
        RENAME ntrctl)
# The monitor as a service, one instance per adapter (ntr-watch@eth0).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/systemd/ntr-watch@.service
        DESTINATION ${NTR_SYSTEMD_UNIT_DIR})

if(TARGET ntr-switch-sim)
  install(TARGETS ntr-switch-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  ntr_install_manual_page(ntr-switch-sim)
endif()

if(TARGET ntr-tool)
  install(TARGETS ntr-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  ntr_install_manual_page(ntr-tool)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/ntr-tool.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/ntr-tool.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/ntr-tool-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ntr-tool.png)
  endforeach()
endif()

install(FILES ${PROJECT_SOURCE_DIR}/tools/wireshark/ntr_protocol.lua
        DESTINATION ${NTR_WIRESHARK_PLUGIN_DIR})

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/ARCHITECTURE.md
              ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${NTR_DOC_DIR})
