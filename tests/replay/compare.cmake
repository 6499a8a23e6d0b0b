# Runs kalvor2-replay on INPUT and compares its standard output with EXPECTED
# byte for byte; with EXPECT_FAILURE, requires exit status 2, one line on
# standard error and nothing on standard output.
execute_process(
    COMMAND ${REPLAY} ${INPUT}
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err
    RESULT_VARIABLE status)

if(EXPECT_FAILURE)
    if(NOT status EQUAL 2)
        message(FATAL_ERROR "expected exit status 2, got '${status}'")
    endif()
    if(NOT out STREQUAL "")
        message(FATAL_ERROR "expected no standard output, got:\n${out}")
    endif()
    string(REGEX MATCHALL "\n" lines "${err}")
    list(LENGTH lines count)
    if(NOT count EQUAL 1)
        message(FATAL_ERROR "expected a one-line error, got:\n${err}")
    endif()
    return()
endif()

if(NOT status EQUAL 0)
    message(FATAL_ERROR "kalvor2-replay failed (${status}):\n${err}")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
    message(FATAL_ERROR "output differs from ${EXPECTED}\n--- got ---\n${out}\n--- expected ---\n${expected}")
endif()
