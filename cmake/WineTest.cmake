# The Windows tests under Wine: the prefix they run in and the function that
# adds one as a ctest test.

# The throw-away prefix of the Windows tests (scripts/wine-prefix.sh makes it).
# The scripts that run Wine around ctest read it from wineprefix.txt.
set(WENDREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
file(WRITE ${CMAKE_BINARY_DIR}/wineprefix.txt "${WENDREL_WINEPREFIX}\n")

# wendrel_add_wine_test(NAME TARGET [ARGS ...] [ENVIRONMENT VAR=VALUE ...] [PROPERTIES ...])
# Runs the GoogleTest exe TARGET with ARGS under Wine (the toolchain's
# emulator) in the tests' prefix, with a time limit, and writes its XML report
# to results/TARGET.xml in the build folder.
function(wendrel_add_wine_test name target)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "ARGS;ENVIRONMENT;PROPERTIES")
    # Wine reads a Unix path in GTEST_OUTPUT as one on the current drive: the
    # build folder is on Z:. A file, not a folder: a folder's trailing
    # backslash would escape the ";" of the next variable.
    string(REPLACE "/" "\\" report "Z:${CMAKE_BINARY_DIR}/results/${target}.xml")
    set(environment WINEPREFIX=${WENDREL_WINEPREFIX} GTEST_OUTPUT=xml:${report} ${arg_ENVIRONMENT})
    add_test(NAME ${name} COMMAND ${target} ${arg_ARGS})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 600 ${arg_PROPERTIES})
endfunction()
