# A Debian package of the installed program (scripts/package builds it). Its library
# dependencies are computed by dpkg-shlibdeps from the binaries, not listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvida)
set(CPACK_PACKAGE_VENDOR "The Korvida developers")
# The Maintainer field; a packager who ships the package puts their own address here.
set(KORVIDA_PACKAGE_MAINTAINER "Korvida developers <korvida@korvida.org>"
    CACHE STRING "Maintainer of the Debian package (name <address>)")
set(CPACK_PACKAGE_CONTACT "${KORVIDA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "CD ripper for audio CDs and CD images")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvida reads audio CDs through SCSI pass-through, or CD images through a virtual\n"
    "drive, names the tracks from a local disc database, cdplayer.ini or a\n"
    "freedb-protocol server, and rips them to WAV, MP3 (ID3v1 and ID3v2 tags) or\n"
    "Ogg Vorbis. It has a Qt 6 GUI (korvida) and a command-line front end\n"
    "(korvida-cli).")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# The package installs where the build was configured to install, so the module folder
# the program computes from its executable is the one the package fills.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(KORVIDA_BUILD_GUI)
  # Loaded by Qt at run time, so dpkg-shlibdeps cannot see them: the icon engine that
  # draws the GUI's own SVG icons, and Qt's Chinese texts for its file dialog.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()

include(CPack)
