# The Windows tests under Wine: the prefix they run in and the function that
# adds one as a ctest test.

# The throw-away prefix of the Windows tests (scripts/wine-prefix.sh makes it).
# The scripts that run Wine around ctest read it from wineprefix.txt.
set(WENDREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
file(WRITE ${CMAKE_BINARY_DIR}/wineprefix.txt "${WENDREL_WINEPREFIX}\n")

# The prefix of the same tests on a screen at 144 dpi (the fixture dpi144 makes it).
set(WENDREL_WINEPREFIX_144 ${CMAKE_BINARY_DIR}/wineprefix-144dpi)

# wendrel_add_wine_test(NAME TARGET [PREFIX DIR] [REPORT NAME] [LAUNCHER SCRIPT] [ARGS ...]
#                       [ENVIRONMENT VAR=VALUE ...] [PROPERTIES ...])
# Runs the GoogleTest exe TARGET with ARGS under Wine (the toolchain's
# emulator) in the tests' prefix (or DIR), with a time limit, and writes its
# XML report to results/TARGET.xml (or NAME.xml) in the build folder; with
# LAUNCHER, through that script, which ends by running its arguments.
function(wendrel_add_wine_test name target)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "PREFIX;REPORT;LAUNCHER" "ARGS;ENVIRONMENT;PROPERTIES")
    if(NOT arg_PREFIX)
        set(arg_PREFIX ${WENDREL_WINEPREFIX})
    endif()
    if(NOT arg_REPORT)
        set(arg_REPORT ${target})
    endif()
    # Wine reads a Unix path in GTEST_OUTPUT as one on the current drive: the
    # build folder is on Z:. A file, not a folder: a folder's trailing
    # backslash would escape the ";" of the next variable.
    string(REPLACE "/" "\\" report "Z:${CMAKE_BINARY_DIR}/results/${arg_REPORT}.xml")
    set(environment WINEPREFIX=${arg_PREFIX} GTEST_OUTPUT=xml:${report} ${arg_ENVIRONMENT})
    if(arg_LAUNCHER)
        add_test(NAME ${name} COMMAND ${arg_LAUNCHER} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}>
            ${arg_ARGS})
    else()
        add_test(NAME ${name} COMMAND ${target} ${arg_ARGS})
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 600 ${arg_PROPERTIES})
endfunction()

# The 144-dpi prefix, made once per build folder with the normal one's
# settings and LogPixels 144, and its wineserver stopped after the tests.
add_test(NAME prefix_144dpi COMMAND env WINEPREFIX=${WENDREL_WINEPREFIX_144} WENDREL_LOGPIXELS=144
    WENDREL_VIRTUAL_DESKTOP=800x600 ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh)
add_test(NAME prefix_144dpi_end COMMAND env WINEPREFIX=${WENDREL_WINEPREFIX_144} timeout 60 wineserver -w)
set_tests_properties(prefix_144dpi PROPERTIES FIXTURES_SETUP dpi144 TIMEOUT 300)
set_tests_properties(prefix_144dpi_end PROPERTIES FIXTURES_CLEANUP dpi144)
