# Runs the built tool the way a script does: data alone on standard output, and
# for bad input exit status 2 with one line on standard error and no output.
# Usage: cmake -DTOOL=<path to velmora-project> -DVERSION=<project version> -P run_tool.cmake

function(run_tool)
    execute_process(COMMAND ${TOOL} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    set(status "${status}" PARENT_SCOPE)
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

run_tool(--months 2 --format csv)
if(NOT status EQUAL 0 OR NOT err STREQUAL "Calculated\n"
   OR NOT out MATCHES "^month,active,change,proceeds,annualized\n0,59,,[^\n]+\n1,[^\n]+\n$")
    message(FATAL_ERROR "csv run: status ${status}\nstdout:\n${out}\nstderr:\n${err}")
endif()

run_tool(--months 2 --bogus 1)
if(NOT status EQUAL 2 OR NOT out STREQUAL "" OR NOT err MATCHES "^velmora-project: --bogus: [^\n]+\n$")
    message(FATAL_ERROR "bad flag: status ${status}\nstdout:\n${out}\nstderr:\n${err}")
endif()

run_tool(--help)
if(NOT status EQUAL 0 OR NOT out MATCHES "^Usage: velmora-project" OR NOT err STREQUAL "")
    message(FATAL_ERROR "help: status ${status}\nstdout:\n${out}\nstderr:\n${err}")
endif()

# The version as CMake sets it, even after other flags.
run_tool(--months 2 --version)
if(NOT status EQUAL 0 OR NOT out STREQUAL "velmora-project ${VERSION}\n" OR NOT err STREQUAL "")
    message(FATAL_ERROR "version: status ${status}\nstdout:\n${out}\nstderr:\n${err}")
endif()

# Past a file-size limit the tool says why and leaves the earlier file whole,
# instead of being ended by the signal with the file half written.
set(full "${CMAKE_CURRENT_BINARY_DIR}/cli-binary-full")
file(REMOVE_RECURSE "${full}")
file(WRITE "${full}/old.csv" "earlier table")
execute_process(COMMAND prlimit --fsize=100 ${TOOL} --months 600 --format csv --output
                        "${full}/old.csv"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(READ "${full}/old.csv" kept)
file(GLOB left RELATIVE "${full}" "${full}/*" "${full}/.*")
file(REMOVE_RECURSE "${full}")
if(NOT status EQUAL 1 OR NOT err MATCHES "old.csv: cannot be written: File too large\n$"
   OR NOT kept STREQUAL "earlier table" OR NOT left STREQUAL "old.csv")
    message(FATAL_ERROR "full disk: status ${status}\nstderr:\n${err}\nfile: ${kept}\nleft: ${left}")
endif()
