# What `cmake --install` puts where, and the Debian package made from it by CPack.
# Included by the top-level CMakeLists.txt once the tessaro, tessaro-join and help targets exist.
include(GNUInstallDirs)

# Help looks for the running executable's own path with ".chm" in place of its extension, and Qt
# reports that path with symlinks resolved. So the window's executable and its help file share
# a private folder, and bin/ holds only a link to the executable.
set(TESSARO_INSTALL_APPDIR "lib/zovi-tessaro" CACHE STRING
    "Folder, under the installation prefix, for the tessaro executable and its help file")
foreach(dir CMAKE_INSTALL_BINDIR TESSARO_INSTALL_APPDIR)
    if(IS_ABSOLUTE "${${dir}}")
        message(FATAL_ERROR "${dir} must be relative to the installation prefix: ${${dir}}")
    endif()
endforeach()

install(TARGETS tessaro RUNTIME DESTINATION ${TESSARO_INSTALL_APPDIR})
install(FILES ${HELP_FILE} DESTINATION ${TESSARO_INSTALL_APPDIR})

# The same guide as HTML pages, for desktops without a viewer for the help file. Help finds them
# by their place relative to the executable's folder.
set(TESSARO_INSTALL_HTMLDIR ${CMAKE_INSTALL_DATADIR}/doc/zovi-tessaro/html)
install(FILES ${HELP_PAGES} DESTINATION ${TESSARO_INSTALL_HTMLDIR})
file(RELATIVE_PATH TESSARO_HTML_GUIDE /${TESSARO_INSTALL_APPDIR} /${TESSARO_INSTALL_HTMLDIR})
target_compile_definitions(tessaro_dialogs PRIVATE TESSARO_HTML_GUIDE="${TESSARO_HTML_GUIDE}")
install(TARGETS tessaro-join tessaro-split RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# A relative link works under any prefix, inside DESTDIR and inside the package alike.
file(RELATIVE_PATH TESSARO_LINK_TARGET /${CMAKE_INSTALL_BINDIR}
    /${TESSARO_INSTALL_APPDIR}/tessaro${CMAKE_EXECUTABLE_SUFFIX})
set(TESSARO_LINK ${CMAKE_CURRENT_BINARY_DIR}/install-link/tessaro${CMAKE_EXECUTABLE_SUFFIX})
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/install-link)
file(CREATE_LINK ${TESSARO_LINK_TARGET} ${TESSARO_LINK} SYMBOLIC)
install(FILES ${TESSARO_LINK} DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu entry and its icon, under the name the window reports to the desktop (the
# executable's), so that docks and task bars match the window to the entry.
install(FILES res/tessaro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# MP3 files reach the window from the file managers' context menus, "Join with Zovi Tessaro":
# the menu entry names workspaces alone, since an application named for MP3 files becomes their
# default player wherever no default is set and it comes first. Dolphin's service menu, and the
# FileManager-Actions entry of PCManFM-Qt and Caja.
install(FILES res/zovi-tessaro-join.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
install(FILES res/zovi-tessaro-join-action.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/file-manager/actions RENAME zovi-tessaro-join.desktop)
# What software centres list, the desktop file as its launchable.
set(TESSARO_METAINFO ${CMAKE_CURRENT_BINARY_DIR}/com.example.veskaro.tessaro.metainfo.xml)
configure_file(res/com.example.veskaro.tessaro.metainfo.xml.in ${TESSARO_METAINFO} @ONLY)
install(FILES ${TESSARO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The workspace file's MIME type, which the menu entry names beside MP3 files. The package's
# installation compiles it into the system's database (shared-mime-info's trigger); after a
# `make install`, update-mime-database PREFIX/share/mime does.
install(FILES res/zovi-tessaro.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
foreach(size 16 24 32 48 64 128 256)
    install(FILES res/icons/tessaro-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME tessaro.png)
endforeach()

# Manual pages, compressed as Debian wants them; man reads them the same way elsewhere.
find_program(GZIP gzip REQUIRED)
set(TESSARO_MAN_PAGES)
foreach(page tessaro.1 tessaro-join.1 tessaro-split.1)
    # The version and the preference folder's name come from the project.
    set(configured ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
    configure_file(man/${page} ${configured} @ONLY)
    set(compressed ${configured}.gz)
    add_custom_command(
        OUTPUT ${compressed}
        # -n: no name or time stamp inside, so the package's bytes depend on the page alone.
        COMMAND ${GZIP} -9 -n -c ${configured} > ${compressed}
        DEPENDS ${configured}
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
    list(APPEND TESSARO_MAN_PAGES ${compressed})
endforeach()
add_custom_target(tessaro_man ALL DEPENDS ${TESSARO_MAN_PAGES})
install(FILES ${TESSARO_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# `make package`: a Debian package of the tree above, installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zovi-tessaro)
set(CPACK_PACKAGE_VENDOR "Veskaro Technology")
if(NOT CPACK_PACKAGE_CONTACT)
    set(CPACK_PACKAGE_CONTACT "Veskaro Technology <tessaro@veskaro.example.com>")
endif()
set(CPACK_PACKAGE_HOMEPAGE_URL "https://veskaro.example.com/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "join MP3 files into one without re-encoding")
# Lines as dpkg shows them, under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Zovi Tessaro copies every MPEG audio frame of every input, byte for byte and"
    "in the order chosen, into one output file, and can write an ID3 tag into it."
    "Nothing is decoded, so the join is exact and as fast as copying the files."
    "A leading Xing or Info header is rewritten to describe the whole joined file."
    ""
    "This package holds the window application, tessaro, with its user guide, and"
    "the command-line joiner, tessaro-join.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps names the packages of the libraries the executables load: Qt 6, TagLib, id3lib.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Help hands the help file to xdg-open, which opens it with a viewer for compiled HTML help.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xchm | kchmviewer, xdg-utils")
include(CPack)
