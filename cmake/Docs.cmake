# SPDX-License-Identifier: MIT
# Manual pages, the licence and the changelog, installed where the system looks for them.

# The newest release is the first "## VERSION - DATE" heading of CHANGELOG.md; the
# metainfo and the package's changelog carry it, so it must be the project's version.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md _release_heading
     REGEX "^## [0-9][0-9.]* - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$" LIMIT_COUNT 1)
if(NOT _release_heading MATCHES "^## ([0-9.]+) - ([0-9-]+)$")
  message(FATAL_ERROR "CHANGELOG.md has no \"## VERSION - YYYY-MM-DD\" heading")
endif()
set(MARROWLOCK_RELEASE_VERSION ${CMAKE_MATCH_1})
set(MARROWLOCK_RELEASE_DATE ${CMAKE_MATCH_2})
if(NOT MARROWLOCK_RELEASE_VERSION STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "CHANGELOG.md's newest release is ${MARROWLOCK_RELEASE_VERSION}, "
                      "the project is ${PROJECT_VERSION}: add its entry to CHANGELOG.md")
endif()

# The project has no home of its own yet: these placeholders are what a packager sets.
set(MARROWLOCK_MAINTAINER "The Marrowlock authors <marrowlock@example.org>" CACHE STRING
    "Name and address of whoever answers for the package")
set(MARROWLOCK_HOMEPAGE "https://marrowlock.example.org" CACHE STRING
    "The project's home page, named in the package and the metainfo")

# Every page in docs/man/ is installed, compressed, into the section its name ends with:
# a new page needs nothing but its file.
file(GLOB MARROWLOCK_MAN_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.[1-8])
set(_doc_outputs)
foreach(page ${MARROWLOCK_MAN_PAGES})
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE "^.*\\.([1-8])$" "\\1" section ${name})
  set(compressed ${CMAKE_BINARY_DIR}/man/man${section}/${name}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man/man${section}
    COMMAND sh -c "gzip -9 -n -c \"$1\" >\"$2\"" sh ${page} ${compressed}
    DEPENDS ${page}
    VERBATIM)
  list(APPEND _doc_outputs ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# The copyright file in Debian's machine-readable form, with the licence text of LICENSE.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE _licence_lines)
list(POP_FRONT _licence_lines)  # "MIT License": the License field names it
set(_licence_body "")
foreach(line IN LISTS _licence_lines)
  if(line STREQUAL "")
    string(APPEND _licence_body " .\n")
  else()
    string(APPEND _licence_body " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "^ \\.\n" "" _licence_body "${_licence_body}")
file(WRITE ${CMAKE_BINARY_DIR}/doc/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: marrowlock\n"
     "Upstream-Contact: ${MARROWLOCK_MAINTAINER}\n"
     "Source: ${MARROWLOCK_HOMEPAGE}\n"
     "\n"
     "Files: *\n"
     "Copyright: 2026 The Marrowlock authors\n"
     "License: Expat\n"
     "${_licence_body}")

add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
  COMMAND sh -c "\"$1\" \"$2\" marrowlock \"$3\" | gzip -9 -n >\"$4\"" sh
          ${PROJECT_SOURCE_DIR}/cmake/debian-changelog.sh ${PROJECT_SOURCE_DIR}/CHANGELOG.md
          ${MARROWLOCK_MAINTAINER} ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/cmake/debian-changelog.sh
  VERBATIM)
list(APPEND _doc_outputs ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_target(marrowlock-docs ALL DEPENDS ${_doc_outputs})

install(FILES ${CMAKE_BINARY_DIR}/doc/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
