# The portable Windows folder, made by `cmake --install` into any folder:
#
#   tesselo.exe                      the program, with its icon and version record
#   Qt6Core.dll ...                  the Qt it was built with, and MinGW's C++ runtime
#   plugins/<kind>/*.dll             Qt's windows platform, its style and three picture formats
#   translations/qtbase_ja.qm        Qt's own texts in Japanese (buttons of message boxes...)
#   qt.conf                          tells Qt that the plugins and translations are here
#   Data/DataBase.FIL, Data/Sound/   the options file as shipped and the four cues
#
# Nothing outside the folder is needed to run it. The program keeps Data beside itself while
# the user can write there, otherwise (Program Files) a copy in the user's local application
# data folder.

configure_file(${PROJECT_SOURCE_DIR}/data/icon/tesselo.rc.in ${CMAKE_BINARY_DIR}/tesselo.rc @ONLY)
target_sources(tesselo PRIVATE ${CMAKE_BINARY_DIR}/tesselo.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/tesselo.rc TARGET_DIRECTORY tesselo
                            PROPERTIES OBJECT_DEPENDS ${TESSELO_ICO})
add_dependencies(tesselo tesselo_icons)

install(TARGETS tesselo RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/data/DataBase.FIL DESTINATION Data)
install(DIRECTORY ${TESSELO_OUTPUT_DIR}/Data/Sound DESTINATION Data
        FILES_MATCHING PATTERN "*.wav")

get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(qt_bin ${qt_core_dll} DIRECTORY)
get_filename_component(qt_prefix ${qt_bin} DIRECTORY)
set(TESSELO_QT_BIN ${qt_bin} CACHE INTERNAL "Where the DLLs of Qt for Windows are")
foreach(module Core Gui Widgets Network)
    install(FILES ${qt_bin}/Qt6${module}.dll DESTINATION .)
endforeach()
foreach(plugin platforms/qwindows styles/qwindowsvistastyle imageformats/qjpeg
               imageformats/qgif imageformats/qico)
    get_filename_component(kind ${plugin} DIRECTORY)
    install(FILES ${qt_prefix}/plugins/${plugin}.dll DESTINATION plugins/${kind})
endforeach()

# MinGW's runtime: the C++ library, its unwinder and the threads underneath.
set(mingw_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}")
        message(FATAL_ERROR "MinGW's ${dll} is not found")
    endif()
    get_filename_component(found ${found} REALPATH)
    list(APPEND mingw_dlls ${found})
endforeach()
set(TESSELO_MINGW_DLLS ${mingw_dlls} CACHE INTERNAL "MinGW's runtime DLLs")
install(FILES ${mingw_dlls} DESTINATION .)

# Qt's Japanese texts come from the host's package of the same version.
find_file(TESSELO_QT_JA qtbase_ja.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${TESSELO_QT_JA} DESTINATION translations)
file(WRITE ${CMAKE_BINARY_DIR}/qt.conf "[Paths]\nPrefix=.\nPlugins=plugins\nTranslations=translations\n")
install(FILES ${CMAKE_BINARY_DIR}/qt.conf DESTINATION .)
