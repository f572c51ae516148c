# SPDX-License-Identifier: MIT
# The programs, the window module and the help text, installed so that the program finds
# the module and the help text from its own folder (MARROWLOCK_DATA_FROM_PROGRAM and
# MARROWLOCK_MODULE_FROM_PROGRAM, set in the top-level CMakeLists.txt).

# A program run from the build folder finds its help text beside it, as an installed one
# finds it in share/marrowlock. The copy is made again whenever data/mlhelp.txt changes.
if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(_program_folder ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
else()
  set(_program_folder ${CMAKE_BINARY_DIR})
endif()
configure_file(${PROJECT_SOURCE_DIR}/data/mlhelp.txt ${_program_folder}/mlhelp.txt COPYONLY)

install(TARGETS marrowlock marrowlock-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET marrowlock-keygen)
  install(TARGETS marrowlock-keygen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET marrowlock-console)
  install(TARGETS marrowlock-console RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET marrowlock-window)
  # Loaded with dlopen, never run: it needs no execute bit.
  install(TARGETS marrowlock-window
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/marrowlock
          PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/data/mlhelp.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/marrowlock)
