# SPDX-License-Identifier: MIT
# Checks of what is installed and of the scripts, run by ctest beside the unit tests.
# Each is a shell script that is given the source and the build folder.
set(_check_folders ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})

add_test(NAME man_pages
         COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/man_pages_test.sh
                 ${PROJECT_SOURCE_DIR}/docs/man ${CMAKE_BINARY_DIR}
                 ${PROJECT_SOURCE_DIR}/data/mlhelp.txt)
add_test(NAME spdx_headers COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-spdx)
add_test(NAME readme_examples
         COMMAND ${PROJECT_SOURCE_DIR}/tests/scripts/readme_examples_test.sh ${_check_folders})
add_test(NAME source_package
         COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/source_package_test.sh ${PROJECT_SOURCE_DIR})
set_tests_properties(source_package PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
add_test(NAME relative_includes COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-includes)
add_test(NAME linux_calls
         COMMAND ${PROJECT_SOURCE_DIR}/tests/platform/linux_calls_test.sh
                 $<TARGET_FILE:marrowlock_platform> $<IF:$<BOOL:${MARROWLOCK_LINUX_FEATURES}>,ON,OFF>)
if(MARROWLOCK_GUI)
  set(_run_script_window)
else()
  set(_run_script_window --no-window)
endif()
add_test(NAME run_script
         COMMAND ${PROJECT_SOURCE_DIR}/tests/scripts/run_test.sh ${_check_folders}
                 ${_run_script_window})
if(MARROWLOCK_GUI)
  add_test(NAME desktop_files
           COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/desktop_files_test.sh ${_check_folders})
  add_test(NAME installed_prefix
           COMMAND ${PROJECT_SOURCE_DIR}/tests/packaging/installed_prefix_test.sh ${_check_folders})
  # Each starts its own virtual X server, and two starting at once can pick the same
  # display; each install touches the build folder's install_manifest.txt.
  set_tests_properties(run_script PROPERTIES RESOURCE_LOCK xvfb)
  set_tests_properties(installed_prefix PROPERTIES RESOURCE_LOCK "xvfb;install")
  set_tests_properties(desktop_files PROPERTIES RESOURCE_LOCK install)
  if(MARROWLOCK_SANITIZE)
    # The sanitizers name the source files in their reports, so their paths are in
    # such a build's constants; only what is shipped is checked for them.
    set_tests_properties(installed_prefix PROPERTIES ENVIRONMENT MARROWLOCK_SANITIZED_BUILD=1)
  endif()
endif()
set_tests_properties(man_pages spdx_headers readme_examples relative_includes PROPERTIES TIMEOUT 60)
