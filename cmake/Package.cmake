# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh
# builds it and checks it with lintian). The package holds what
# cmake/Install.cmake installs, under /usr; its library dependencies come from
# dpkg-shlibdeps.

set(REGILLA_MAINTAINER "RegillaWM <regillawm@users.noreply.github.com>"
    CACHE STRING "The maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME "RegillaMobile")
set(CPACK_PACKAGE_VENDOR "RegillaWM")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${REGILLA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Windows Mobile 5 Pocket PC settings on an emulated device screen")
set(CPACK_PACKAGE_DESCRIPTION
    "A one-screen settings tool for Windows Mobile 5 Pocket PCs, re-created for the
Linux desktop. It shows the device's 240x320 screen with one dialog and six
tabs that gather about thirty device settings kept in the device registry,
which lives in a standard .reg file. The interface is in Japanese, as on the
device. A script can drive the tool without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_NAME "regillamobile")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${REGILLA_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The device window's font; without it the dialogs fall back to another
# Japanese face, or show no Japanese at all.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")

include(CPack)
