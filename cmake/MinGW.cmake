# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the posix-threads compiler, whose
# C++ runtime has std::thread and std::mutex). Used for Qt itself and for the program; for the
# program, TESSELO_QT_WINDOWS names the Qt built for Windows, whose tools (moc, rcc, uic) are
# the host's own Qt of the same version.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSELO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSELO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSELO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSELO_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSELO_MINGW})
if(DEFINED CACHE{TESSELO_QT_WINDOWS} OR DEFINED TESSELO_QT_WINDOWS)
    # The root is Qt's folder and the prefix its lib/cmake: the same folder as both would be
    # joined to itself when CMake re-roots the prefix.
    list(PREPEND CMAKE_FIND_ROOT_PATH ${TESSELO_QT_WINDOWS})
    list(PREPEND CMAKE_PREFIX_PATH ${TESSELO_QT_WINDOWS}/lib/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The toolchain file is read again for each try_compile: keep what it needs.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TESSELO_QT_WINDOWS)

set(QT_HOST_PATH /usr CACHE PATH "The host's Qt, whose tools build for Windows")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
