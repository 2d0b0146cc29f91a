# Writes the resource script's STRINGTABLE from shell/strings.inc, so a text is typed once.
#
# The list's literals are C string literals; the resource compiler reads the same escapes
# (\n, \r, \\) except the quote, which it wants doubled. "\?" is a plain "?" in C.
# Regenerated whenever the list changes: the list is a configure dependency.
function(brixtel_generate_strings_rc list_file rc_file)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
    file(READ ${list_file} content)

    # Keep CMake's list handling away from the texts: ";" separates list items and an
    # unbalanced "[" stops the split.
    string(REPLACE ";" "@SEMICOLON@" content "${content}")
    string(REPLACE "[" "@OPEN@" content "${content}")
    string(REPLACE "]" "@CLOSE@" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")

    set(body "")
    set(count 0)
    set(last_id -1)
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "^BRIXTEL_STRING\\(")
            continue()
        endif()
        if(NOT line MATCHES "^BRIXTEL_STRING\\(([A-Za-z0-9_]+), *([0-9]+), *\"(.*)\"\\) *$")
            message(FATAL_ERROR "${list_file}: cannot read the entry: ${line}")
        endif()
        set(id ${CMAKE_MATCH_2})
        set(text "${CMAKE_MATCH_3}")
        if(NOT id GREATER last_id)
            message(FATAL_ERROR "${list_file}: id ${id} is out of order or repeated")
        endif()
        set(last_id ${id})
        string(REPLACE "\\\\" "@BACKSLASH@" text "${text}")
        string(REPLACE "\\\"" "\"\"" text "${text}")
        string(REPLACE "\\?" "?" text "${text}")
        string(REPLACE "@BACKSLASH@" "\\\\" text "${text}")
        string(APPEND body "    ${id}, L\"${text}\"\n")
        math(EXPR count "${count} + 1")
    endforeach()

    string(REPLACE "@SEMICOLON@" ";" body "${body}")
    string(REPLACE "@OPEN@" "[" body "${body}")
    string(REPLACE "@CLOSE@" "]" body "${body}")

    set(script "// Generated from shell/strings.inc at configure time; edit that list instead.\n")
    string(APPEND script "STRINGTABLE\nBEGIN\n${body}END\n")

    # Rewrite only on change, so the resources are not rebuilt needlessly.
    set(old "")
    if(EXISTS ${rc_file})
        file(READ ${rc_file} old)
    endif()
    if(NOT old STREQUAL script)
        file(WRITE ${rc_file} "${script}")
    endif()
    message(STATUS "String table: ${count} texts in ${rc_file}")
endfunction()
