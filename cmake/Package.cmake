# The Debian package, made by `cpack -G DEB` in the build folder: the program installed for
# every user.
#
#   /usr/lib/tesselo/tesselo            the program
#   /usr/lib/tesselo/tesselo_sound.so   its sound module, beside it
#   /usr/lib/tesselo/Data/              the Data it ships (options and sound cues), read-only;
#                                       each user's own Data is copied from it on the first
#                                       start (~/.local/share/TESSELO/Data)
#   /usr/bin/tesselo                    a link to the program, which finds its folder through
#                                       the link's target
#   /usr/share/applications/tesselo.desktop
#   /usr/share/icons/hicolor/<size>x<size>/apps/tesselo.png
#
# These rules belong to the component "debian", which a plain `cmake --install` leaves out, so
# the portable folder of cmake/Install.cmake stays as it is.

set(package_dir lib/tesselo)
set(package_only COMPONENT debian EXCLUDE_FROM_ALL)
set(package_stage ${CMAKE_CURRENT_BINARY_DIR}/package)

install(TARGETS tesselo RUNTIME DESTINATION ${package_dir} ${package_only})
install(TARGETS tesselo_sound_module LIBRARY DESTINATION ${package_dir} ${package_only})
install(FILES ${PROJECT_SOURCE_DIR}/data/DataBase.FIL DESTINATION ${package_dir}/Data
        ${package_only})
install(DIRECTORY ${TESSELO_OUTPUT_DIR}/Data/Sound DESTINATION ${package_dir}/Data
        ${package_only} FILES_MATCHING PATTERN "*.wav")

file(MAKE_DIRECTORY ${package_stage})
file(CREATE_LINK ../${package_dir}/tesselo ${package_stage}/tesselo SYMBOLIC)
install(FILES ${package_stage}/tesselo DESTINATION bin ${package_only})

# On the PATH and in the icon theme, the entry names both by name alone.
set(TESSELO_DESKTOP_EXEC tesselo)
set(TESSELO_DESKTOP_ICON tesselo)
configure_file(${PROJECT_SOURCE_DIR}/data/icon/tesselo.desktop.in
               ${package_stage}/tesselo.desktop @ONLY)
install(FILES ${package_stage}/tesselo.desktop DESTINATION share/applications ${package_only})
foreach(size IN LISTS TESSELO_ICON_SIZES)
    install(FILES ${TESSELO_ICON_DIR}/tesselo-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tesselo.png
            ${package_only})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tesselo)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION} with a Japanese user interface")
set(CPACK_PACKAGE_CONTACT "TESSELO maintainers <maintainers@users.noreply.c-seed-5425bdcc.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: the Japanese font and translations the windows use, the X11
# platform plugin that Qt loads at run time, and GIO, loaded on the first desktop entry or
# document started (libglib2.0-0 holds it; the version is the one the build asks for).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic, qt6-translations-l10n, qt6-qpa-plugins, libglib2.0-0 (>= 2.74)")
include(CPack)
