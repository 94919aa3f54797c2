# What `cmake --install` puts under the prefix, and the Debian package CPack makes of it:
#   bin/zantorvix                                   the program
#   share/zantorvix/gfx/, share/zantorvix/sfx/      its pictures and sounds
#   share/applications/org.zantorvix.Zantorvix.desktop
#   share/icons/hicolor/{32,48,64,128,256}/apps/zantorvix.png
#   share/metainfo/org.zantorvix.Zantorvix.metainfo.xml
#   share/man/man6/zantorvix.6.gz
#   share/doc/zantorvix/{copyright,changelog.gz}
#   games/zantorvix, a link to bin/zantorvix, and lintian's note on it, when the prefix is /usr
# The program finds share/zantorvix/ from its own folder, so any prefix works.
set(ZANTORVIX_DESKTOP_ID org.zantorvix.Zantorvix)
set(ZANTORVIX_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/desktop)
set(ZANTORVIX_DESKTOP_BUILD ${CMAKE_BINARY_DIR}/desktop)
file(MAKE_DIRECTORY ${ZANTORVIX_DESKTOP_BUILD})

# Manual pages and the changelog go compressed, as Debian wants them; -n keeps the output the
# same on every build.
find_program(GZIP gzip REQUIRED)
foreach(page zantorvix.6 changelog)
    add_custom_command(
        OUTPUT ${ZANTORVIX_DESKTOP_BUILD}/${page}.gz
        COMMAND ${GZIP} -9nc ${ZANTORVIX_DESKTOP_DIR}/${page} > ${ZANTORVIX_DESKTOP_BUILD}/${page}.gz
        DEPENDS ${ZANTORVIX_DESKTOP_DIR}/${page}
        VERBATIM)
endforeach()
add_custom_target(zantorvix_desktop_files ALL
    DEPENDS ${ZANTORVIX_DESKTOP_BUILD}/zantorvix.6.gz ${ZANTORVIX_DESKTOP_BUILD}/changelog.gz)

install(TARGETS zantorvix RUNTIME DESTINATION bin)
install(DIRECTORY ${ZANTORVIX_RUN_DIR}/gfx ${ZANTORVIX_RUN_DIR}/sfx DESTINATION share/zantorvix)
install(FILES ${ZANTORVIX_DESKTOP_DIR}/${ZANTORVIX_DESKTOP_ID}.desktop
        DESTINATION share/applications)
install(DIRECTORY ${ZANTORVIX_ICON_DIR}/hicolor DESTINATION share/icons)
install(FILES ${ZANTORVIX_DESKTOP_DIR}/${ZANTORVIX_DESKTOP_ID}.metainfo.xml
        DESTINATION share/metainfo)
install(FILES ${ZANTORVIX_DESKTOP_BUILD}/zantorvix.6.gz DESTINATION share/man/man6)
# Installed for the whole system, the program is also where Debian keeps games.
install(CODE "set(ZANTORVIX_DESKTOP_DIR \"${ZANTORVIX_DESKTOP_DIR}\")")
install(CODE [[
    if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
        file(MAKE_DIRECTORY "$ENV{DESTDIR}/usr/games")
        file(CREATE_LINK ../bin/zantorvix "$ENV{DESTDIR}/usr/games/zantorvix" SYMBOLIC)
        file(INSTALL "${ZANTORVIX_DESKTOP_DIR}/lintian-overrides"
             DESTINATION /usr/share/lintian/overrides RENAME zantorvix)
    endif()
]])
install(FILES ${ZANTORVIX_DESKTOP_DIR}/copyright ${ZANTORVIX_DESKTOP_BUILD}/changelog.gz
        DESTINATION share/doc/zantorvix)

# The Debian package: ./package, or `cpack -G DEB` in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zantorvix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zantorvix developers")
set(CPACK_PACKAGE_CONTACT "Zantorvix developers <zantorvix@zantorvix.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-block puzzle game with bombs")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pieces of four cells, in seven shapes, fall into a well 15 columns wide and
25 rows deep. Slide them, turn them and drop them: full rows are cleared and
scored, every ten rows raise the level and the speed, and a one-cell bomb now
and then blows a hole into the stack. A good score enters the table of five
high scores. Full screen or in a window, with the keyboard or a gamepad.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# Only the game's own files: nothing else in the build installs, but say so.
set(CPACK_COMPONENTS_ALL Unspecified)
include(CPack)
