# Run by `cmake --install`: writes the desktop entry for the folder being installed to and
# installs it. The entry names the program and its icon by absolute paths, which are known only
# now: `cmake --install --prefix` may differ from the configured prefix.
#
# Expects TESSELO_DESKTOP_TEMPLATE (the .desktop.in), TESSELO_DESKTOP_STAGING (a scratch folder
# in the build) and TESSELO_DESKTOP_ICON_SIZE (the icon size the entry points at).

get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)

# A desktop entry value first undoes its own backslash escapes; Exec then reads double-quoted
# arguments in which ", `, $ and \ carry a backslash, and % is doubled.
function(desktop_quoted_argument text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REGEX REPLACE "([\"`$])" "\\\\\\1" text "${text}")
    string(REPLACE "%" "%%" text "${text}")
    string(REPLACE "\\" "\\\\" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

function(desktop_string text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

desktop_quoted_argument("${prefix}/tesselo" TESSELO_DESKTOP_EXEC)
desktop_string(
    "${prefix}/share/icons/hicolor/${TESSELO_DESKTOP_ICON_SIZE}x${TESSELO_DESKTOP_ICON_SIZE}/apps/tesselo.png"
    TESSELO_DESKTOP_ICON)

configure_file("${TESSELO_DESKTOP_TEMPLATE}" "${TESSELO_DESKTOP_STAGING}/tesselo.desktop" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${TESSELO_DESKTOP_STAGING}/tesselo.desktop")
