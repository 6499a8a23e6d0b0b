# Fails when PROGRAM needs Qt GUI or Qt Widgets (or when its libraries cannot
# be read at all: it must at least name Qt Core).
find_program(READELF readelf REQUIRED)
execute_process(COMMAND ${READELF} --dynamic ${PROGRAM}
    OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "readelf could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]]+\\]" needed "${dynamic}")
if(NOT needed MATCHES "libQt6Core")
    message(FATAL_ERROR "${PROGRAM} names no libQt6Core: ${needed}")
endif()
if(needed MATCHES "libQt6(Gui|Widgets)")
    message(FATAL_ERROR "${PROGRAM} links Qt GUI or Qt Widgets: ${needed}")
endif()
message(STATUS "${PROGRAM} needs: ${needed}")
