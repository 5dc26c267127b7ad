# The package's copyright file, in Debian's machine-readable format, with LICENSE's own text,
# and its changelog.gz: CHANGELOG.md's entries in Debian's changelog format, newest first.

# LICENSE from its permission notice on, each line indented by one, a blank line as " .".
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
set(TQ37R_LICENCE_BODY "")
set(in_body FALSE)
foreach(line IN LISTS licence_lines)
    if(line MATCHES "^Permission ")
        set(in_body TRUE)
    endif()
    if(in_body)
        if(line STREQUAL "")
            string(APPEND TQ37R_LICENCE_BODY " .\n")
        else()
            string(APPEND TQ37R_LICENCE_BODY " ${line}\n")
        endif()
    endif()
endforeach()
string(STRIP "${TQ37R_LICENCE_BODY}" TQ37R_LICENCE_BODY)
string(PREPEND TQ37R_LICENCE_BODY " ")
configure_file(${PROJECT_SOURCE_DIR}/res/debian/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# "## [VERSION] - DATE" opens an entry, "- " a change, an indented line goes on with it.
function(tq37r_close_entry)
    if(version)
        execute_process(COMMAND date -u -R -d "${date} 12:00" OUTPUT_VARIABLE stamp
            OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        string(APPEND changelog
            "tq37r-params (${version}) unstable; urgency=medium\n\n${changes}\n -- ${TQ37R_MAINTAINER}  ${stamp}\n\n")
        set(changelog "${changelog}" PARENT_SCOPE)
    endif()
endfunction()

file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md changelog_lines)
set(changelog "")
set(version "")
foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^## \\[([^]]+)\\] - (.+)$")
        tq37r_close_entry()
        set(version ${CMAKE_MATCH_1})
        set(date ${CMAKE_MATCH_2})
        set(changes "")
    elseif(version AND line MATCHES "^- (.*)$")
        string(APPEND changes "  * ${CMAKE_MATCH_1}\n")
    elseif(version AND line MATCHES "^  +(.*)$")
        string(APPEND changes "    ${CMAKE_MATCH_1}\n")
    endif()
endforeach()
tq37r_close_entry()
string(STRIP "${changelog}" changelog)
file(WRITE ${PROJECT_BINARY_DIR}/debian/changelog "${changelog}\n")

add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
    COMMAND gzip -9 -n -f -k ${PROJECT_BINARY_DIR}/debian/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog
    COMMENT "Compressing the Debian changelog"
    VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/debian/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
