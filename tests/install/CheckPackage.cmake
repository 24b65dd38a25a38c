# Builds the Debian package of the build in BUILD_DIR with CPack into the empty folder OUT_DIR
# and checks it: its name and version, files under /usr owned by root exactly where an
# installation puts them, and a dependency on the package of every library in
# RUNTIME_LIBRARIES (the Qt, TagLib and id3lib libraries the executables load).
cmake_minimum_required(VERSION 3.22)  # policies of the project, IN_LIST among them
foreach(var BUILD_DIR OUT_DIR CPACK DPKG_QUERY DPKG_DEB BINDIR APPDIR DATADIR MANDIR VERSION
        RUNTIME_LIBRARIES)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CheckPackage.cmake needs -D${var}=...")
    endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/InstallLayout.cmake)

file(REMOVE_RECURSE "${OUT_DIR}")
run_ok(ignored "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -B "${OUT_DIR}")
file(GLOB packages "${OUT_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "cpack made ${count} packages instead of one: ${packages}")
endif()

run_ok(package_name "${DPKG_DEB}" --field "${packages}" Package)
run_ok(package_version "${DPKG_DEB}" --field "${packages}" Version)
if(NOT package_name STREQUAL "zovi-tessaro\n" OR NOT package_version MATCHES "^${VERSION}-[0-9]+\n$")
    message(FATAL_ERROR "${packages} is ${package_name} ${package_version}")
endif()

# Depends: the package names, without versions, alternatives counted alike. A library may lie
# in a package that a listed one pulls in (libtag1v5 stands for libtag1v5-vanilla), so the
# packages those depend on count too.
function(package_names field out)
    string(REGEX REPLACE "\\([^)]*\\)|:any" "" field "${field}")
    string(REGEX REPLACE "[ \n]" "" field "${field}")
    string(REGEX REPLACE "[,|]" ";" field "${field}")
    set(${out} "${field}" PARENT_SCOPE)
endfunction()
run_ok(depends "${DPKG_DEB}" --field "${packages}" Depends)
package_names("${depends}" depends)
set(provided ${depends})
foreach(package ${depends})
    run_ok(pulled "${DPKG_QUERY}" --show "--showformat=\${Depends}" "${package}")
    package_names("${pulled}" pulled)
    list(APPEND provided ${pulled})
endforeach()
string(REPLACE "," ";" RUNTIME_LIBRARIES "${RUNTIME_LIBRARIES}")
foreach(library ${RUNTIME_LIBRARIES})
    file(REAL_PATH "${library}" library)
    run_ok(owner "${DPKG_QUERY}" --search "${library}")
    string(REGEX REPLACE "[:,].*" "" owner "${owner}")  # "libfoo1:amd64: /usr/lib/..."
    if(NOT owner IN_LIST provided)
        message(FATAL_ERROR "${packages} does not bring in ${owner}, which holds ${library}; "
            "it depends on: ${depends}")
    endif()
    message(STATUS "${library} (${owner}) comes with the dependencies ${depends}")
endforeach()

# Contents: files (links included) under /usr, owned by root, the same set an installation has.
run_ok(listing "${DPKG_DEB}" --contents "${packages}")
string(REPLACE "\n" ";" lines "${listing}")
set(files)
foreach(line ${lines})
    if(NOT line MATCHES "^(.)[^ ]+ +([^ ]+) +[0-9]+ +[^ ]+ +[^ ]+ +\\./(.*)$")
        message(FATAL_ERROR "unexpected line in dpkg-deb --contents: ${line}")
    endif()
    set(type "${CMAKE_MATCH_1}")
    set(owner "${CMAKE_MATCH_2}")
    set(path "${CMAKE_MATCH_3}")
    if(NOT owner STREQUAL "root/root")
        message(FATAL_ERROR "${path} in ${packages} belongs to ${owner}")
    endif()
    if(NOT path MATCHES "^usr/")
        message(FATAL_ERROR "${packages} installs ${path} outside /usr")
    endif()
    if(NOT type STREQUAL "d")
        string(REGEX REPLACE "^usr/| -> .*$" "" relative "${path}")
        list(APPEND files "${relative}")
    endif()
    if(type STREQUAL "l")
        # Only the window's link, relative, leading to the executable beside the help file.
        string(REGEX MATCH "^(.*) -> (.*)$" ignored "${path}")
        set(link_target "${CMAKE_MATCH_2}")
        get_filename_component(link_dir "${CMAKE_MATCH_1}" DIRECTORY)
        cmake_path(APPEND link_dir "${link_target}" OUTPUT_VARIABLE resolved)
        cmake_path(NORMAL_PATH resolved)
        if(IS_ABSOLUTE "${link_target}" OR NOT resolved STREQUAL "usr/${APPDIR}/tessaro"
           OR NOT path MATCHES "^usr/${BINDIR}/tessaro -> ")
            message(FATAL_ERROR "unexpected link in ${packages}: ${path}")
        endif()
    endif()
endforeach()
check_same_files("${packages} holds the wrong files" "${files}")

string(STRIP "${package_name} ${package_version}" package)
message(STATUS "${packages}: ${package}, its files in place")
