# Writes the header that tells one build of Brixtel from another (shown in the About dialog):
# the version of the project and the source it was built from, as git describes it, or the
# build time where the tree is no git checkout. Run at every build; the header is rewritten
# only when its text changes, so an unchanged tree rebuilds nothing.
#
#   cmake -DSOURCE_DIR=<tree> -DOUTPUT=<header> -DVERSION=<x.y.z> -P build_id.cmake
set(build_id "")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(
        COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} describe --always --dirty --abbrev=12
        OUTPUT_VARIABLE build_id
        OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET
        RESULT_VARIABLE git_result)
    if(NOT git_result EQUAL 0)
        set(build_id "")
    endif()
endif()
if(build_id STREQUAL "")
    string(TIMESTAMP build_id "%Y-%m-%d %H:%M UTC" UTC)
endif()

set(text "// Generated at build time by cmake/build_id.cmake.\n#pragma once\n")
string(APPEND text "#define BRIXTEL_VERSION L\"${VERSION}\"\n")
string(APPEND text "#define BRIXTEL_BUILD_ID L\"${build_id}\"\n")

set(old "")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
    file(WRITE ${OUTPUT} "${text}")
endif()
