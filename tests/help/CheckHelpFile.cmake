# Checks that HELP_FILE is a compiled HTML help file ("ITSF" header) that holds every page
# found in HELP_SOURCES, as chmls lists its contents.
foreach(var CHMLS HELP_FILE HELP_SOURCES)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CheckHelpFile.cmake needs -D${var}=...")
    endif()
endforeach()

if(NOT EXISTS "${HELP_FILE}")
    message(FATAL_ERROR "no help file at ${HELP_FILE}")
endif()
file(READ "${HELP_FILE}" header LIMIT 4 HEX)
if(NOT header STREQUAL "49545346")  # "ITSF"
    message(FATAL_ERROR "${HELP_FILE} does not start with ITSF but with the bytes ${header}")
endif()

execute_process(COMMAND "${CHMLS}" list "${HELP_FILE}" RESULT_VARIABLE result
    OUTPUT_VARIABLE listing ERROR_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "chmls could not list ${HELP_FILE}")
endif()
file(GLOB pages "${HELP_SOURCES}/*.html")
if(NOT pages)
    message(FATAL_ERROR "no pages in ${HELP_SOURCES}")
endif()
foreach(page ${pages})
    get_filename_component(name "${page}" NAME)
    if(NOT listing MATCHES " /${name}(\n|$)")
        message(FATAL_ERROR "${HELP_FILE} lacks ${name}; it holds:\n${listing}")
    endif()
endforeach()
message(STATUS "${HELP_FILE}: ITSF header, all pages present")
