# What `cmake --install` adds beyond the programs, the desktop entry and the icons (installed
# where they are built), and the Debian package made from it all.

# The package's contact. The default is a placeholder in a reserved domain: a packager sets the
# real one with -DTQ37R_MAINTAINER="Name <address>".
set(TQ37R_MAINTAINER "tq37r-params developers <maintainers@tq37r-params.example>"
    CACHE STRING "Maintainer of the Debian package, \"Name <address>\"")
# AppStream's component id, the same placeholder domain reversed.
set(TQ37R_APPSTREAM_ID example.tq37r_params.tq37r_params)

include(${PROJECT_SOURCE_DIR}/cmake/DebianDocs.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/ManualPages.cmake)

# The simulated controller ships too: it lets a user try the tool without hardware.
install(TARGETS tq37r-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
tq37r_manual_page(tq37r-sim "play a TQ-37R flight controller on a pseudo-terminal")
tq37r_manual_page(tq37r-cli "set up a TQ-37R flight controller's gains from the command line")
if(TARGET tq37r-params)
    tq37r_manual_page(tq37r-params "set up a TQ-37R flight controller's gains in a window")
    configure_file(${PROJECT_SOURCE_DIR}/res/tq37r-params.metainfo.xml.in
        ${PROJECT_BINARY_DIR}/metainfo/${TQ37R_APPSTREAM_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/metainfo/${TQ37R_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
# bash-completion finds a command's completion by the command's name.
install(FILES ${PROJECT_SOURCE_DIR}/res/bash-completion/tq37r-cli.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tq37r-cli)
# tq37r-cli is linked statically on purpose (its start-up, see cli/CMakeLists.txt).
install(FILES ${PROJECT_SOURCE_DIR}/res/debian/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tq37r-params)
# Giving users serial access is a site decision, so the udev rule is an example only.
install(FILES ${PROJECT_SOURCE_DIR}/res/99-tq37r-com.rules.example DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tq37r-params)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "tq37r-params developers")
set(CPACK_PACKAGE_CONTACT "${TQ37R_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Parameter setup tool for the TQ-37R fixed-wing flight controller")
# Under the summary, in lines under 80 columns, as Debian's tools show them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Reads the control-loop gains of a TQ-37R flight controller over a serial
line, sends each row back, asks the controller to save them, and shows its
firmware version.
.
Includes tq37r-cli, the same from the command line for scripts (get, set,
save, backup, restore, diff), and tq37r-sim, a simulated controller on a
pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from the binaries themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Chinese captions of the hidden controls and messages need a CJK font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk")

include(CPack)
