# Warnings and sanitizers shared by every target of the project.
add_library(tesselo_build_flags INTERFACE)
if(MSVC)
    target_compile_options(tesselo_build_flags INTERFACE /W4 /utf-8)
    if(TESSELO_WERROR)
        target_compile_options(tesselo_build_flags INTERFACE /WX)
    endif()
else()
    target_compile_options(tesselo_build_flags INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
        -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough)
    if(TESSELO_WERROR)
        target_compile_options(tesselo_build_flags INTERFACE -Werror)
    endif()
    if(TESSELO_SANITIZE)
        # Without the vptr check: it probes memory through a pipe, so in a launcher that has
        # run out of descriptors (as the tests make it) it reports a sound object as invalid.
        target_compile_options(tesselo_build_flags INTERFACE
            -fsanitize=address,undefined -fno-sanitize=vptr -fno-omit-frame-pointer
            -fno-sanitize-recover=undefined)
        target_link_options(tesselo_build_flags INTERFACE -fsanitize=address,undefined)
        # The sanitizers' default options, compiled into every executable and into nothing
        # else: a library holding them too would define them twice in a program that takes
        # the whole library, as the layers' link checks do.
        target_sources(tesselo_build_flags INTERFACE
            $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:${PROJECT_SOURCE_DIR}/cmake/SanitizerDefaults.cpp>)
        target_compile_definitions(tesselo_build_flags INTERFACE
            TESSELO_LSAN_SUPPRESSIONS="${PROJECT_SOURCE_DIR}/tests/lsan.supp")
    endif()
endif()
# The program's own code spells out every conversion between bytes and text; tests may be terse.
add_library(tesselo_product_flags INTERFACE)
target_link_libraries(tesselo_product_flags INTERFACE tesselo_build_flags)
target_compile_definitions(tesselo_product_flags INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_DISABLE_DEPRECATED_UP_TO=0x060400)
if(TESSELO_STARTUP_MARKS)
    target_compile_definitions(tesselo_product_flags INTERFACE TESSELO_STARTUP_MARKS)
endif()
