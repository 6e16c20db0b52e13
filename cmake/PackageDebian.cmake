# The Debian package of the native program: `cmake --build --preset linux
# --target package` leaves build/linux/orbelle_<version>_amd64.deb. The
# program's folder is /usr/lib/orbelle, where the core looks beside the
# program for Language/ and the help page: links to /usr/share/orbelle hold
# them there.
set(orbl_deb_source ${CMAKE_SOURCE_DIR}/installer/debian)
set(orbl_deb_staged ${CMAKE_BINARY_DIR}/debian)
set(orbl_icon_sizes 16 24 32 48 64)

# The icons come from the Windows icon; the man page and the changelog are
# compressed without a name or a time in them, so that the same sources give
# the same package.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(ORBL_GZIP gzip REQUIRED)
set(orbl_icons)
foreach(size ${orbl_icon_sizes})
  list(APPEND orbl_icons ${orbl_deb_staged}/icons/${size}x${size}/apps/orbelle.png)
endforeach()
add_custom_command(
  OUTPUT ${orbl_icons}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/ico-to-png.py
          ${CMAKE_SOURCE_DIR}/platform/win32/tray.ico ${orbl_deb_staged}/icons orbelle
          ${orbl_icon_sizes}
  DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/tray.ico ${CMAKE_SOURCE_DIR}/scripts/ico-to-png.py
  COMMENT "Icons for the package"
  VERBATIM)
set(orbl_compressed)
foreach(name orbl3.1 changelog)
  add_custom_command(
    OUTPUT ${orbl_deb_staged}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${orbl_deb_source}/${name} ${orbl_deb_staged}/${name}
    COMMAND ${ORBL_GZIP} -9nf ${orbl_deb_staged}/${name}
    DEPENDS ${orbl_deb_source}/${name}
    COMMENT "Compressing ${name} for the package"
    VERBATIM)
  list(APPEND orbl_compressed ${orbl_deb_staged}/${name}.gz)
endforeach()
add_custom_target(orbl_package_files ALL DEPENDS ${orbl_icons} ${orbl_compressed})

# Relative links, so that they hold under any prefix.
file(MAKE_DIRECTORY ${orbl_deb_staged}/links/bin)
file(CREATE_LINK ../../share/orbelle/Language ${orbl_deb_staged}/links/Language SYMBOLIC)
file(CREATE_LINK ../../share/orbelle/orbelle-help.html ${orbl_deb_staged}/links/orbelle-help.html
     SYMBOLIC)
file(CREATE_LINK ../lib/orbelle/orbl3 ${orbl_deb_staged}/links/bin/orbl3 SYMBOLIC)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS orbl3_linux orbl3_guarded RUNTIME DESTINATION lib/orbelle)
install(FILES ${orbl_deb_staged}/links/Language ${orbl_deb_staged}/links/orbelle-help.html
        DESTINATION lib/orbelle)
install(FILES ${orbl_deb_staged}/links/bin/orbl3 DESTINATION bin)
install(FILES ${ORBL_LANGUAGE_FILES} DESTINATION share/orbelle/Language)
install(FILES ${ORBL_HELP_PAGE} DESTINATION share/orbelle)
install(FILES ${orbl_deb_source}/orbelle.desktop DESTINATION share/applications)
install(DIRECTORY ${orbl_deb_staged}/icons/ DESTINATION share/icons/hicolor)
install(FILES ${orbl_deb_staged}/orbl3.1.gz DESTINATION share/man/man1)
install(FILES ${orbl_deb_source}/copyright ${orbl_deb_staged}/changelog.gz
        DESTINATION share/doc/orbelle)
# Where Debian 12's udev and its own rules live; 59 runs before the system's
# 60-cdrom_id.rules, which ejects on the button.
install(FILES ${orbl_deb_source}/59-orbelle.rules DESTINATION /lib/udev/rules.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbelle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orbelle developers <orbelle@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "guard for optical drives in the notification area")
set(CPACK_PACKAGE_DESCRIPTION
    "Orbelle opens, closes, locks and unlocks CD and DVD drives from its tray menu,
a double-click on its icon, global hot keys or the orbl3 command. On its own it
closes a door again after a disc was taken out, and acts when the system shuts
down, logs off, sleeps or resumes. Every option is per drive and kept per user.
.
A udev rule keeps the eject button of a drive Orbelle has locked from ejecting
it while Orbelle runs; without it, the system's own rule ejects as usual.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.com/orbelle/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${orbl_deb_source}/postinst ${orbl_deb_source}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
