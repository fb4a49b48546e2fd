# The Debian package: `cpack -G DEB` in the build folder gives tonquill_VERSION_ARCH.deb with the
# files `cmake --install` puts below /usr. Its library dependencies are computed from the
# binaries by dpkg-shlibdeps; what the programs load without linking is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonquill)
set(CPACK_PACKAGE_VENDOR "The Tonquill developers")
set(CPACK_PACKAGE_CONTACT "The Tonquill developers <support@tonquill.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop audio converter for MP3, Ogg Vorbis, WAV and WMA")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "desktop audio converter for MP3, Ogg Vorbis, WAV and WMA\n\
Tonquill gathers audio files into a list, shows their tags and audio facts, and converts them\n\
into one output format with its encoder settings, carrying the tags over. An existing file is\n\
never overwritten. tonquill-cli runs the same conversions without a display.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tonquill.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a platform plugin of Qt (X11 and Wayland) and Qt's SVG plugins for its
# pictures; opening files and folders goes through the desktop's handlers.
# libsox is opened at run time rather than linked, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, libsox3 (>= 14.4.2)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
