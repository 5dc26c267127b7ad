# What `cmake --install` adds beyond the dialog program and its desktop entry and
# icons (installed where they are built), and the Debian package made from it all.

# The simulated controller ships too: it lets a user try the tool without hardware.
install(TARGETS tq37r-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Giving users serial access is a site decision, so the udev rule is an example only.
install(FILES ${PROJECT_SOURCE_DIR}/res/99-tq37r-com.rules.example DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tq37r-params)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "tq37r-params developers")
set(CPACK_PACKAGE_CONTACT "tq37r-params developers <tq37r-params@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Parameter setup tool for the TQ-37R fixed-wing flight controller")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads the control-loop gains of a TQ-37R flight controller over a serial line, sends each row \
back, asks the controller to save them, and shows its firmware version. Includes tq37r-cli, the \
same from the command line for scripts (get, set, save, backup, restore, diff), and tq37r-sim, a \
simulated controller on a pseudo-terminal.")
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
