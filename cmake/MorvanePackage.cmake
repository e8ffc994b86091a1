# The Debian package (`make package`, or `cpack -G DEB` in a build folder). Library dependencies
# are not listed here: dpkg-shlibdeps finds them from the programs. Only what the programs need
# without linking it is named: the Qt platform plugins that show the window, the fonts texts fall
# back to, the desktop's URL opener and Qt's own Japanese texts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Morvane developers")
set(CPACK_PACKAGE_CONTACT "${MORVANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn two stroke drawings into a looping animation")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/StripComments.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MORVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-dejavu-core, fonts-ipafont-gothic, xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis line comes from CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Morvane pairs the figures of a START and an END vector stroke drawing
(.strk) of the same structure, computes the in-between frames along
straight, eased, circular or arc paths with return trips and per-figure
phases, and writes a PNG sequence, an animated PNG, a GIF sequence or an
animated GIF.
.
The package holds the desktop program (morvane), the batch command
(morvane-cli), a thumbnailer for file managers, a menu entry, file types
for projects (.mrva) and drawings (.strk), manual pages and examples.")

include(CPack)
