# The files an installation holds, relative to its prefix, given the folders BINDIR, APPDIR,
# DATADIR and MANDIR. Shared by the checks of `cmake --install` and of the Debian package.
set(ICON_SIZES 16 24 32 48 64 128 256)
set(EXPECTED_FILES
    ${BINDIR}/tessaro
    ${BINDIR}/tessaro-join
    ${BINDIR}/tessaro-split
    ${APPDIR}/tessaro
    ${APPDIR}/tessaro.chm
    ${DATADIR}/applications/tessaro.desktop
    ${DATADIR}/kio/servicemenus/zovi-tessaro-join.desktop
    ${DATADIR}/file-manager/actions/zovi-tessaro-join.desktop
    ${DATADIR}/metainfo/com.example.veskaro.tessaro.metainfo.xml
    ${DATADIR}/mime/packages/zovi-tessaro.xml
    ${MANDIR}/man1/tessaro.1.gz
    ${MANDIR}/man1/tessaro-join.1.gz
    ${MANDIR}/man1/tessaro-split.1.gz)
foreach(size ${ICON_SIZES})
    list(APPEND EXPECTED_FILES ${DATADIR}/icons/hicolor/${size}x${size}/apps/tessaro.png)
endforeach()
foreach(page files.html index.html merging.html splitting.html style.css tag.html
        tessaro-join.html workspaces.html)
    list(APPEND EXPECTED_FILES ${DATADIR}/doc/zovi-tessaro/html/${page})
endforeach()
list(SORT EXPECTED_FILES)

# Fails unless ACTUAL (a list of paths relative to the prefix) is exactly EXPECTED_FILES.
function(check_same_files what actual)
    list(SORT actual)
    set(missing ${EXPECTED_FILES})
    list(REMOVE_ITEM missing ${actual})
    set(unexpected ${actual})
    list(REMOVE_ITEM unexpected ${EXPECTED_FILES})
    if(missing OR unexpected)
        list(JOIN missing "\n  " missing)
        list(JOIN unexpected "\n  " unexpected)
        message(FATAL_ERROR "${what}\nmissing:\n  ${missing}\nunexpected:\n  ${unexpected}")
    endif()
endfunction()

# Runs a command; fails unless it exits with 0. Its standard output lands in OUT.
function(run_ok out)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE stdout
        ERROR_VARIABLE stderr)
    if(NOT result EQUAL 0)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "${command} failed (${result}):\n${stdout}${stderr}")
    endif()
    set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

# The value of KEY in the group GROUP of the desktop-entry-style FILE into OUT; fails when the
# key is missing or empty.
function(desktop_value file group key out)
    file(STRINGS "${file}" lines ENCODING UTF-8)
    set(current "")
    foreach(line ${lines})
        if(line MATCHES "^\\[(.*)\\]$")
            set(current "${CMAKE_MATCH_1}")
        elseif(current STREQUAL group AND line MATCHES "^${key}=(.+)$")
            set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "${file} has no ${key} in [${group}]")
endfunction()
