# `make package`: a Debian package of the install tree. The runtime
# dependencies come from dpkg-shlibdeps (package dpkg-dev); the Qt platform
# plugins are named by hand because nothing links them.
set(KESTREL_MAINTAINER "Kestrel maintainers <kestrel@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control panel for the HX-9302 line-scan camera")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Kestrel configures the HX-9302 two-sensor colour line-scan camera over its\n"
       "serial channel (an RS-232C port or a Camera Link frame grabber's serial\n"
       "library): the kestrel control panel, the kestrelctl command-line tool for\n"
       "scripts and production lines, and the kestrel-camsim camera simulator.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kestrel_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
