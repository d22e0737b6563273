# Runs the built tool the way a script does: data alone on standard output, and
# for bad input exit status 2 with one line on standard error and no output.
# Usage: cmake -DTOOL=<path to velmora-project> -P run_tool.cmake

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

run_tool(--version)
if(NOT status EQUAL 0 OR NOT out MATCHES "^velmora-project [0-9]+\\.[0-9]+\\.[0-9]+\n$" OR NOT err STREQUAL "")
    message(FATAL_ERROR "version: status ${status}\nstdout:\n${out}\nstderr:\n${err}")
endif()
