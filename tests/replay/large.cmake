# Replays a memory report of COUNT records, over 64 KiB, sent as one stretch
# with a separator after each record (many polls of the link, many receive
# runs and ticks), and checks that every record comes out as its row, in
# order, with nothing lost or merged. The test's timeout bounds the time.
set(capture "${WORKDIR}/large_capture.bin")
# Each record's row as the replay should print it, built with the record.
set(text "fill level: 006\nEntries : ${COUNT}\n=========================\n")
set(expected_rows)
foreach(n RANGE 1 ${COUNT})
    math(EXPR day "10 + ${n} % 20")
    math(EXPR minute "${n} % 60")
    if(minute LESS 10)
        set(minute "0${minute}")
    endif()
    string(APPEND text "Nr.: ${n}\nJJJJ:MM:DD:d:hh:mm:ss\n2026:11:${day}:1:14:${minute}:59\n"
                       "Messwert: 2,34Pos.: 045ID: 004\n=========================\n")
    list(APPEND expected_rows "row\t${n}\t2026:11:${day}\t14:${minute}:59\t2.34\t4.5\t4")
endforeach()
file(WRITE "${capture}" "${text}")
file(SIZE "${capture}" size)
if(size LESS 65536)
    message(FATAL_ERROR "the capture holds only ${size} bytes")
endif()

execute_process(COMMAND ${REPLAY} ${capture} OUTPUT_VARIABLE out ERROR_VARIABLE err
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "kalvor2-replay failed (${status}):\n${err}")
endif()
string(REGEX MATCHALL "row\t[^\n]*" rows "${out}")
list(LENGTH rows count)
if(NOT count EQUAL COUNT)
    message(FATAL_ERROR "expected ${COUNT} rows, got ${count}")
endif()
foreach(row expected IN ZIP_LISTS rows expected_rows)
    if(NOT row STREQUAL expected)
        message(FATAL_ERROR "got '${row}', expected '${expected}'")
    endif()
endforeach()
string(FIND "${out}" "Speicherbelegung_PB\t6\n" fill)
if(fill EQUAL -1)
    message(FATAL_ERROR "the fill level is not shown:\n${out}")
endif()
