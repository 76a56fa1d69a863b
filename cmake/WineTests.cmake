# Test executables run under Wine in a prefix of the build tree. The prefix is made
# once by the fixture below before any test starts, so parallel tests never race to
# create it.
set(ZRC_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix for tests")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZRC_WINE_ARCH win64)
else()
    set(ZRC_WINE_ARCH win32)
endif()
set(ZRC_TEST_ENVIRONMENT WINEPREFIX=${ZRC_WINEPREFIX} ZRC_WINE_ARCH=${ZRC_WINE_ARCH})

function(zrc_add_prefix_fixture)
    add_test(NAME wine_prefix
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh ${ZRC_WINEPREFIX})
    set_tests_properties(wine_prefix PROPERTIES ENVIRONMENT "ZRC_WINE_ARCH=${ZRC_WINE_ARCH}")
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix LABELS setup)
endfunction()

# zrc_add_wine_test(<name> <target> [LABELS l...] [FIXTURES f...] [WORKING_DIRECTORY d])
# Runs one test executable once, under Wine, after the prefix exists.
function(zrc_add_wine_test name target)
    cmake_parse_arguments(ARG "" "WORKING_DIRECTORY" "LABELS;FIXTURES;ARGS" ${ARGN})
    if(NOT ARG_WORKING_DIRECTORY)
        set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    add_test(NAME ${name} COMMAND ${target} ${ARG_ARGS}
             WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${ZRC_TEST_ENVIRONMENT}"
        FIXTURES_REQUIRED "wine_prefix;${ARG_FIXTURES}"
        LABELS "${ARG_LABELS}")
endfunction()
