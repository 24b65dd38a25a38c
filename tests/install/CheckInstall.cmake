# Installs the build in BUILD_DIR into the empty folder PREFIX with `cmake --install` and checks
# that every file lies where it belongs and works from there: the link to the window's
# executable with the help file beside its target, the menu entry and its icons, the workspace's
# MIME type, the manual pages, and tessaro-join.
cmake_minimum_required(VERSION 3.22)  # policies of the project, IN_LIST among them
foreach(var BUILD_DIR PREFIX BINDIR APPDIR DATADIR MANDIR VERSION DESKTOP_FILE_VALIDATE APPSTREAMCLI
        GROFF GZIP UPDATE_MIME_DATABASE XDG_MIME WORKSPACE_SAMPLE)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CheckInstall.cmake needs -D${var}=...")
    endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/InstallLayout.cmake)

# Reads the first BYTES bytes of FILE as lowercase hex into OUT.
function(read_hex file bytes out)
    file(READ "${file}" hex LIMIT ${bytes} HEX)
    set(${out} "${hex}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
set(ENV{DESTDIR} "")  # an inherited DESTDIR would send the files elsewhere
run_ok(ignored "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}")

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
check_same_files("cmake --install into ${PREFIX} left the wrong files" "${installed}")

# The window's executable: reached through a relative link in bin/, an ELF file.
set(link "${PREFIX}/${BINDIR}/tessaro")
if(NOT IS_SYMLINK "${link}")
    message(FATAL_ERROR "${link} is not a symbolic link")
endif()
file(READ_SYMLINK "${link}" link_target)
if(IS_ABSOLUTE "${link_target}")
    message(FATAL_ERROR "${link} points to the absolute path ${link_target}")
endif()
file(REAL_PATH "${link}" executable)
file(REAL_PATH "${PREFIX}/${APPDIR}/tessaro" expected_executable)
if(NOT executable STREQUAL expected_executable)
    message(FATAL_ERROR "${link} leads to ${executable}, not to ${expected_executable}")
endif()
foreach(program "${executable}" "${PREFIX}/${BINDIR}/tessaro-join")
    read_hex("${program}" 4 magic)
    if(NOT magic STREQUAL "7f454c46")
        message(FATAL_ERROR "${program} is not an ELF executable (starts with ${magic})")
    endif()
endforeach()

# Help opens the running executable's real path with ".chm" in place of its extension.
get_filename_component(executable_dir "${executable}" DIRECTORY)
get_filename_component(executable_stem "${executable}" NAME_WLE)
set(help "${executable_dir}/${executable_stem}.chm")
if(NOT EXISTS "${help}")
    message(FATAL_ERROR "no help file beside the executable: ${help}")
endif()
read_hex("${help}" 4 magic)
if(NOT magic STREQUAL "49545346")  # "ITSF"
    message(FATAL_ERROR "${help} is no compiled HTML help file (starts with ${magic})")
endif()

# Icons: PNG files whose header gives the size their folder promises.
foreach(size ${ICON_SIZES})
    set(icon "${PREFIX}/${DATADIR}/icons/hicolor/${size}x${size}/apps/tessaro.png")
    read_hex("${icon}" 24 header)
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 8 width)
    string(SUBSTRING "${header}" 40 8 height)
    math(EXPR width "0x${width}")
    math(EXPR height "0x${height}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size
       OR NOT height EQUAL size)
        message(FATAL_ERROR "${icon} is not a ${size} x ${size} PNG (${width} x ${height})")
    endif()
endforeach()

# The menu entry: valid without a single warning or hint, starting the linked program by name
# with the files opened with it, for MP3 files and workspaces, showing the installed icon, in the
# audio menu.
set(entry "${PREFIX}/${DATADIR}/applications/tessaro.desktop")
execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${entry}" RESULT_VARIABLE result
    OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT result EQUAL 0 OR NOT report STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate ${entry} (${result}):\n${report}")
endif()
# Software centres list it: its metadata passes the strictest check, names the menu entry and
# this version.
set(metainfo "${PREFIX}/${DATADIR}/metainfo/com.example.veskaro.tessaro.metainfo.xml")
run_ok(report "${APPSTREAMCLI}" validate --pedantic --no-net "${metainfo}")
file(READ "${metainfo}" metadata)
if(NOT metadata MATCHES "<launchable type=\"desktop-id\">tessaro.desktop</launchable>"
        OR NOT metadata MATCHES "<release version=\"${VERSION}\"")
    message(FATAL_ERROR "${metainfo} names no launchable tessaro.desktop or release ${VERSION}")
endif()
foreach(key Type Name Comment Exec Icon Categories MimeType)
    desktop_value("${entry}" "Desktop Entry" ${key} ${key})
endforeach()
if(NOT Type STREQUAL "Application" OR NOT Categories STREQUAL "AudioVideo;Audio;")
    message(FATAL_ERROR "${entry}: Type=${Type}, Categories=${Categories}")
endif()
if(NOT Exec STREQUAL "tessaro %F")
    message(FATAL_ERROR "${entry} starts \"${Exec}\", not the tessaro in bin/ with the files (%F)")
endif()
set(workspace_type application/x-tessaro-workspace)
# Workspaces alone: a joiner named for MP3 files would become the desktop's player for them
# wherever it is the first to name them (a /usr/local entry comes before the system's).
if(NOT MimeType STREQUAL "${workspace_type};")
    message(FATAL_ERROR "${entry} opens \"${MimeType}\", not workspaces alone")
endif()
if(NOT Icon STREQUAL "tessaro")
    message(FATAL_ERROR "${entry} shows the icon \"${Icon}\", not the installed tessaro.png")
endif()

# MP3 files are offered to the window from the file managers' context menus instead, each
# entry starting the same tessaro with all the files chosen, under a name that says what it does.
# Dolphin's service menu is a KDE service, no application, so no desktop makes it a default.
set(service_menu "${PREFIX}/${DATADIR}/kio/servicemenus/zovi-tessaro-join.desktop")
desktop_value("${service_menu}" "Desktop Entry" Type service_type)
desktop_value("${service_menu}" "Desktop Entry" MimeType service_types)
desktop_value("${service_menu}" "Desktop Entry" Actions service_action)
string(REGEX REPLACE ";$" "" service_action "${service_action}")
desktop_value("${service_menu}" "Desktop Action ${service_action}" Exec service_exec)
desktop_value("${service_menu}" "Desktop Action ${service_action}" Name service_name)
# The file-manager action of PCManFM-Qt, Caja and others (the FileManager-Actions format).
set(action "${PREFIX}/${DATADIR}/file-manager/actions/zovi-tessaro-join.desktop")
desktop_value("${action}" "Desktop Entry" Type action_type)
desktop_value("${action}" "Desktop Entry" Name action_name)
desktop_value("${action}" "Desktop Entry" Profiles action_profile)
string(REGEX REPLACE ";$" "" action_profile "${action_profile}")
desktop_value("${action}" "X-Action-Profile ${action_profile}" MimeTypes action_types)
desktop_value("${action}" "X-Action-Profile ${action_profile}" Exec action_exec)
if(NOT service_type STREQUAL "Service" OR NOT action_type STREQUAL "Action"
        OR NOT service_types STREQUAL "audio/mpeg;" OR NOT action_types STREQUAL "audio/mpeg;"
        OR NOT service_exec STREQUAL "tessaro %F" OR NOT action_exec STREQUAL "tessaro %F"
        OR NOT service_name STREQUAL "Join with Zovi Tessaro"
        OR NOT action_name STREQUAL "Join with Zovi Tessaro")
    message(FATAL_ERROR "the context menu entries offer \"${service_name}\" (${service_type}, "
        "${service_types} ${service_exec}) and \"${action_name}\" (${action_type}, "
        "${action_types} ${action_exec})")
endif()

# The window starts from the installed tree, as the menu entry starts it, and keeps running
# until it is stopped; a missing library or plugin would end it at once.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{XDG_CONFIG_HOME} "${PREFIX}-config")
# A runtime folder of its own: in a shared one it would hand itself to a window already running.
set(runtime "${PREFIX}-runtime")
file(REMOVE_RECURSE "${runtime}")
file(MAKE_DIRECTORY "${runtime}")
file(CHMOD "${runtime}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{XDG_RUNTIME_DIR} "${runtime}")
execute_process(COMMAND "${PREFIX}/${BINDIR}/tessaro" TIMEOUT 5 RESULT_VARIABLE result
    OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(REMOVE_RECURSE "${PREFIX}-config" "${runtime}")
if(NOT result MATCHES "timeout")
    message(FATAL_ERROR "${PREFIX}/${BINDIR}/${Exec} ended at once (${result}):\n${output}")
endif()

# A workspace is known as such by its name and, under any other name, by its first bytes, once
# the installed definition is compiled as a system's database is. xdg-mime asks gio on a GNOME
# desktop, which reads the databases under XDG_DATA_DIRS and XDG_DATA_HOME; without a desktop it
# would ask `file`, which knows nothing of them, so the desktop is named here.
run_ok(ignored "${UPDATE_MIME_DATABASE}" "${PREFIX}/${DATADIR}/mime")
set(samples "${PREFIX}-mime")
file(REMOVE_RECURSE "${samples}")
file(MAKE_DIRECTORY "${samples}")
file(COPY_FILE "${WORKSPACE_SAMPLE}" "${samples}/concert.twk")
file(COPY_FILE "${WORKSPACE_SAMPLE}" "${samples}/concert")
file(WRITE "${samples}/notes" "TWK but no workspace")
set(ENV{XDG_DATA_DIRS} "${PREFIX}/${DATADIR}")
set(ENV{XDG_DATA_HOME} "${samples}/data-home")
set(ENV{XDG_CURRENT_DESKTOP} GNOME)
set(ENV{GIO_USE_VFS} local)  # no file system daemon to ask
set(ENV{XDG_UTILS_DEBUG_LEVEL} 1)  # says which program it asked
# The file that starts with other bytes is no workspace, whatever else it is taken for.
foreach(sample concert.twk:TRUE concert:TRUE notes:FALSE)
    string(REPLACE ":" ";" sample "${sample}")
    list(GET sample 0 name)
    list(GET sample 1 workspace)
    execute_process(COMMAND "${XDG_MIME}" query filetype "${samples}/${name}"
        RESULT_VARIABLE result OUTPUT_VARIABLE type ERROR_VARIABLE asked)
    string(STRIP "${type}" type)
    set(known FALSE)
    if(type STREQUAL workspace_type)
        set(known TRUE)
    endif()
    if(NOT result EQUAL 0 OR type STREQUAL "" OR NOT known STREQUAL workspace)
        message(FATAL_ERROR "xdg-mime takes ${name} for \"${type}\" (${result}):\n${asked}")
    endif()
endforeach()
file(REMOVE_RECURSE "${samples}")
# MP3 files keep their own player: the entry is an "Open with" choice for them, never the default.
run_ok(ignored "${UPDATE_DESKTOP_DATABASE}" "${PREFIX}/${DATADIR}/applications")
set(ENV{PATH} "${PREFIX}/${BINDIR}:$ENV{PATH}")  # where the desktop looks for the entry's Exec
foreach(type audio/mpeg:FALSE ${workspace_type}:TRUE)
    string(REPLACE ":" ";" type "${type}")
    list(GET type 1 ours)
    list(GET type 0 type)
    execute_process(COMMAND "${XDG_MIME}" query default ${type}
        OUTPUT_VARIABLE default ERROR_VARIABLE asked)
    string(STRIP "${default}" default)
    set(opened FALSE)
    if(default STREQUAL "tessaro.desktop")
        set(opened TRUE)
    endif()
    if(NOT opened STREQUAL ours)
        message(FATAL_ERROR "xdg-mime opens ${type} with \"${default}\":\n${asked}")
    endif()
endforeach()

# The tools run from the installed tree.
# In English, which the checks below read, whatever the language of whoever runs them.
set(ENV{LANGUAGE} "")
set(ENV{LC_ALL} C.UTF-8)
foreach(tool tessaro-join tessaro-split)
    run_ok(usage "${PREFIX}/${BINDIR}/${tool}" --help)
    if(NOT usage MATCHES "Usage: [^\n]*${tool} \\[options\\] INPUT")
        message(FATAL_ERROR "${tool} --help printed no usage line:\n${usage}")
    endif()
    set(usage_${tool} "${usage}")
    run_ok(version "${PREFIX}/${BINDIR}/${tool}" --version)
    if(NOT version STREQUAL "${tool} ${VERSION}\n")
        message(FATAL_ERROR "${tool} --version printed \"${version}\", not version ${VERSION}")
    endif()
endforeach()

# The manual pages: of this version, formatted without a warning, and each tool's, like the
# README, describes every option its --help lists.
foreach(page tessaro tessaro-join tessaro-split)
    run_ok(roff "${GZIP}" -dc "${PREFIX}/${MANDIR}/man1/${page}.1.gz")
    string(TOUPPER "${page}" title)
    string(REPLACE "-" "\\\\-" title "${title}")  # TESSARO\-JOIN, as a regex
    if(NOT roff MATCHES "^\\.TH ${title} 1 \"[^\"]*\" \"Zovi Tessaro ${VERSION}\"")
        message(FATAL_ERROR "${page}.1 does not open with .TH for ${page}(1) of version ${VERSION}")
    endif()
    set(source "${PREFIX}-${page}.1")
    file(WRITE "${source}" "${roff}")
    execute_process(COMMAND "${GROFF}" -man -Tutf8 -ww -z "${source}"
        RESULT_VARIABLE result OUTPUT_VARIABLE warnings ERROR_VARIABLE warnings)
    file(REMOVE "${source}")
    if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
        message(FATAL_ERROR "groff on ${page}.1 (${result}):\n${warnings}")
    endif()
    if(NOT page STREQUAL "tessaro")
        string(REPLACE "\\-" "-" text "${roff}")
        string(REGEX MATCHALL "(^|[ ,])(-[a-z]|--[a-z][a-z-]*)" options "${usage_${page}}")
        string(REGEX REPLACE "(^|;)[ ,]" "\\1" options "${options}")
        list(REMOVE_DUPLICATES options)
        list(LENGTH options count)
        if(count LESS 10)
            message(FATAL_ERROR "found only ${count} options in ${page} --help:\n${usage}")
        endif()
        file(READ "${README}" readme)
        foreach(option ${options})
            if(NOT text MATCHES "[^-a-z]${option}[^-a-z]")
                message(FATAL_ERROR "${page}.1 does not describe ${option}")
            endif()
            if(NOT readme MATCHES "[^-a-z]${option}[^-a-z]")
                message(FATAL_ERROR "README.md does not describe ${option}")
            endif()
        endforeach()
    endif()
endforeach()

message(STATUS "${PREFIX}: every file in place and working")
