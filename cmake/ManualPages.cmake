# Each program's manual page, made by help2man from its own --help and --version when it is
# built, compressed as Debian wants it and installed with it. The release date from
# CHANGELOG.md, not today's, is the page's date, so a rebuild makes the same page.
find_program(TQ37R_HELP2MAN help2man REQUIRED)
execute_process(COMMAND date -u -d "${TQ37R_RELEASE_DATE}" +%s OUTPUT_VARIABLE release_epoch
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

function(tq37r_manual_page target summary)
    set(page ${PROJECT_BINARY_DIR}/man/${target}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        # No display, so the window's --help cannot depend on one.
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY SOURCE_DATE_EPOCH=${release_epoch}
            ${TQ37R_HELP2MAN} --no-info --section=1 --name=${summary} --output=${page} $<TARGET_FILE:${target}>
        COMMAND gzip -9 -n -f ${page}
        DEPENDS ${target}
        COMMENT "Writing the manual page of ${target}"
        VERBATIM)
    add_custom_target(${target}_manual_page ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
