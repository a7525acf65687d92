# Installation: the portable program folder, a desktop entry and the icon.
#
#   PREFIX/tesselo                  the program
#   PREFIX/tesselo_sound.so         its sound module (installed by src/sound)
#   PREFIX/Data/DataBase.FIL        the options file as shipped (both options on)
#   PREFIX/Data/Sound/*.wav         the four sound cues
#   PREFIX/share/applications/tesselo.desktop
#   PREFIX/share/icons/hicolor/<size>x<size>/apps/tesselo.png
#
# The program keeps its slots and options in Data beside itself while the user can write there;
# in a PREFIX the user cannot write to, each user gets a copy of Data of his own instead. The
# slot file is never installed: the program creates it on its first start. The desktop entry is
# written at install time (data/icon/InstallDesktopEntry.cmake). The Debian package lays the
# program out for /usr instead (cmake/Package.cmake).

# The usual default, /usr/local, would scatter Data into a shared tree the user cannot write.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND DEFINED ENV{HOME})
    set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/TESSELO" CACHE PATH "Where the program folder goes" FORCE)
endif()

install(TARGETS tesselo RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/data/DataBase.FIL DESTINATION Data)
install(DIRECTORY ${TESSELO_OUTPUT_DIR}/Data/Sound DESTINATION Data
        FILES_MATCHING PATTERN "*.wav")

foreach(size IN LISTS TESSELO_ICON_SIZES)
    install(FILES ${TESSELO_ICON_DIR}/tesselo-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tesselo.png)
endforeach()
list(GET TESSELO_ICON_SIZES -1 largest_icon)
install(CODE "
    set(TESSELO_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/data/icon/tesselo.desktop.in\")
    set(TESSELO_DESKTOP_STAGING \"${CMAKE_CURRENT_BINARY_DIR}/desktop-entry\")
    set(TESSELO_DESKTOP_ICON_SIZE ${largest_icon})")
install(SCRIPT ${PROJECT_SOURCE_DIR}/data/icon/InstallDesktopEntry.cmake)
