# Compiles the help project PROJECT with CHMCMD into OUTPUT, run as `cmake -P` by the build.
# chmcmd exits 0 after some failures (a missing project file) and only warns about others (a
# page or link that is not there), so any of these fails the build here, and a stale or partial
# file never stands in OUTPUT.
foreach(var CHMCMD PROJECT OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CompileHelp.cmake needs -D${var}=...")
    endif()
endforeach()

# chmcmd writes the file named by the project's "Compiled file=" into its working folder.
file(STRINGS "${PROJECT}" compiled REGEX "^Compiled file=")
string(REGEX REPLACE "^Compiled file=" "" compiled "${compiled}")
if(compiled STREQUAL "")
    message(FATAL_ERROR "${PROJECT} names no compiled file")
endif()

get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
set(scratch "${output_dir}/help-compile")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}")
file(REMOVE "${OUTPUT}")

execute_process(
    COMMAND "${CHMCMD}" "${PROJECT}"
    WORKING_DIRECTORY "${scratch}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
string(REGEX MATCH "(Warning|Error|exception|Can't)[^\n]*" problem "${out}")
if(NOT result EQUAL 0 OR problem OR NOT EXISTS "${scratch}/${compiled}")
    message(FATAL_ERROR "chmcmd failed on ${PROJECT} (exit ${result}):\n${out}")
endif()
file(RENAME "${scratch}/${compiled}" "${OUTPUT}")
file(REMOVE_RECURSE "${scratch}")
