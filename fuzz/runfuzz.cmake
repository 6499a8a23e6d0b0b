# Runs a fuzz target for a bounded time on a fresh copy of the seed corpus, so
# that the inputs it adds stay in the build directory. Fails on any crash,
# sanitizer finding, leak, time-out, memory overrun or parser difference;
# the input that caused it is left in WORK/artifacts.
#
# cmake -DFUZZER=... -DSEEDS=... -DDICTIONARY=... -DWORK=... -DSECONDS=... -DMAX_LEN=... -P runfuzz.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)

execute_process(
    COMMAND ${FUZZER}
        -max_total_time=${SECONDS}
        -timeout=5
        -rss_limit_mb=2048
        -max_len=${MAX_LEN}
        -dict=${DICTIONARY}
        -artifact_prefix=${WORK}/artifacts/
        -print_final_stats=1
        ${WORK}/corpus
    RESULT_VARIABLE status)

file(GLOB findings ${WORK}/artifacts/*)
get_filename_component(name ${FUZZER} NAME)
if(NOT status EQUAL 0 OR findings)
    message(FATAL_ERROR "${name} failed (exit status ${status}); inputs: ${findings}\n"
        "Reproduce with: ${FUZZER} <input>; keep the input in its seed corpus once the program is fixed.")
endif()
