# SPDX-License-Identifier: MIT
# The Debian package, made by `cpack -G DEB` in a build folder configured with the prefix
# /usr (scripts/package does both, with Debian's hardening flags).
set(CPACK_PACKAGE_NAME marrowlock)
set(CPACK_PACKAGE_VENDOR "The Marrowlock authors")
set(CPACK_PACKAGE_CONTACT "${MARROWLOCK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt and decrypt files and text with a key file")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Marrowlock encrypts and decrypts files, and text typed into its window, with
a key kept in a key file (.mlk) made by its key generator, marrowlock-keygen.
It runs as a Qt window, or unattended from the command line in batch mode,
which needs no display; marrowlock-cli encrypts and decrypts files and
pipelines for scripts, on every processor.
.
Its cipher multiplies each block by a secret number. It keeps a casual reader
without the key file from reading your files, but it is not an authenticated
cipher: altered files are not detected, and one known block of text reveals
the key. Use gpg or age where that matters.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MARROWLOCK_HOMEPAGE}")
# dpkg-shlibdeps works out the libraries that the programs and the window module need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(MARROWLOCK_GUI)
  # Qt loads its platform plugins (X11, Wayland) at run time: dpkg-shlibdeps cannot
  # see them.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
# The source package holds the tracked files only (cmake/SourcePackage.cmake stages them).
set(CPACK_MARROWLOCK_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_MARROWLOCK_SOURCE_STAGE ${CMAKE_BINARY_DIR}/source-package)
set(CPACK_SOURCE_INSTALLED_DIRECTORIES "${CPACK_MARROWLOCK_SOURCE_STAGE};/")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/SourcePackage.cmake)
include(CPack)
