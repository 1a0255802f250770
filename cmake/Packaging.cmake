# `make package`: a Debian package of the viewer, zarvex-list, the reader
# library, the desktop entry, icon and MIME type, its dependencies worked out
# from the programs' own libraries (dpkg-shlibdeps).
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zarvex")
set(CPACK_PACKAGE_VENDOR "Zarvex")
set(CPACK_PACKAGE_CONTACT "Zarvex developers <zarvex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer and lister for tokenised AMOS BASIC programs and their banks")
set(CPACK_PACKAGE_DESCRIPTION
    "Zarvex shows the programs the Amiga's AMOS editor saves as highlighted listings, and their memory banks: "
    "sprites, packed pictures and samples. zarvex-list lists, exports and extracts from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded when first needed, so invisible to dpkg-shlibdeps: archives, music and
# (for zarvex-list) PNG.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libarchive13, libxmp4, libpng16-16, libqt6multimedia6")
# The reader library is found beside the programs, through their RUNPATH.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/bin")
include(CPack)
