# SPDX-License-Identifier: MIT
# Run by cpack (CPACK_PROJECT_CONFIG_FILE). The source package is made from the files
# that git tracks, as they are in the working tree, and from nothing else: an untracked
# file in the checkout (a decrypted note, a key, a build folder under another name)
# never travels with it. They are copied into a folder of the build tree first, and
# only that folder is packed.
if(NOT CPACK_INSTALLED_DIRECTORIES STREQUAL "${CPACK_MARROWLOCK_SOURCE_STAGE};/")
  return()  # the binary package
endif()
find_program(_git git)
if(NOT _git OR NOT EXISTS "${CPACK_MARROWLOCK_SOURCE_DIR}/.git")
  message(FATAL_ERROR "The source package is made from the files that git tracks: "
                      "${CPACK_MARROWLOCK_SOURCE_DIR} is no git checkout, or git is missing.")
endif()
file(REMOVE_RECURSE "${CPACK_MARROWLOCK_SOURCE_STAGE}")
file(MAKE_DIRECTORY "${CPACK_MARROWLOCK_SOURCE_STAGE}")
# A tracked file deleted from the working tree is left out, not an error.
execute_process(
  COMMAND "${_git}" -C "${CPACK_MARROWLOCK_SOURCE_DIR}" ls-files -z
  COMMAND tar -C "${CPACK_MARROWLOCK_SOURCE_DIR}" --null --no-recursion --ignore-failed-read
          -T - -cf -
  COMMAND tar -C "${CPACK_MARROWLOCK_SOURCE_STAGE}" -xf -
  RESULTS_VARIABLE _results)
foreach(_result ${_results})
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "Copying the tracked files failed: ${_results}")
  endif()
endforeach()
