# One CTest run of a fuzz target: the committed seeds first, then RUNS inputs
# mutated from them. New inputs go to a scratch corpus under the build tree so
# the committed one stays as it is; any crash, leak, timeout or out-of-memory
# makes libFuzzer exit non-zero, which fails the test.
#
#   cmake -DFUZZER=... -DSEEDS=... -DWORK=... [-DDICTIONARY=...] -DRUNS=N -P seed_run.cmake
foreach(variable FUZZER SEEDS WORK RUNS)
    if("${${variable}}" STREQUAL "")
        message(FATAL_ERROR "seed_run.cmake needs -D${variable}=...")
    endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)

set(options -runs=${RUNS} -seed=1 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix=${WORK}/artifacts/)
if(NOT "${DICTIONARY}" STREQUAL "")
    list(APPEND options -dict=${DICTIONARY})
endif()

execute_process(COMMAND ${FUZZER} ${options} ${WORK}/corpus ${SEEDS} RESULT_VARIABLE result)
file(GLOB findings ${WORK}/artifacts/*)
if(NOT result EQUAL 0 OR findings)
    message(FATAL_ERROR "${FUZZER} exited with ${result}; findings: ${findings}")
endif()
