# Starts PROGRAM offscreen for four seconds (splash, window, first device
# contact) and requires that it is still running then and said nothing on
# standard error but Qt's platform notes.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{QT_LOGGING_RULES} "qt.qpa.*=false")
file(MAKE_DIRECTORY ${WORKDIR}/runtime)
file(CHMOD ${WORKDIR}/runtime PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{XDG_RUNTIME_DIR} ${WORKDIR}/runtime)
execute_process(
    COMMAND timeout -s TERM 4 ${PROGRAM}
    WORKING_DIRECTORY ${WORKDIR}
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err
    RESULT_VARIABLE status)
# timeout exits with 124 when it had to stop the program: it was still up.
if(NOT status EQUAL 124)
    message(FATAL_ERROR "${PROGRAM} ended early with '${status}':\n${err}")
endif()
string(REGEX REPLACE "[^\n]*propagateSizeHints[^\n]*\n?" "" err "${err}")
if(NOT err STREQUAL "")
    message(FATAL_ERROR "${PROGRAM} warned:\n${err}")
endif()
