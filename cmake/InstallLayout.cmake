# Where the program and its encoder module live, installed and in the build tree.
#
# The encoder module (liblame_enc.so) is private to the program: nothing links it and its
# interface is ours alone, so it goes in a folder of its own under the library folder
# (<libdir>/korvida) rather than in <libdir> itself, where the dynamic linker's search
# would offer it to every other program under an unversioned name.
#
# The program finds the module relative to its own executable, so an installed tree can
# be moved or staged (DESTDIR) and still find its own module, and no binary carries an
# absolute folder to load code from. The build tree has the same layout: executables in
# <build>/bin, the module in <build>/bin/<the same relative path>, so a program run from
# the build tree finds the build's module by the same rule.
include(GNUInstallDirs)

set(KORVIDA_MODULE_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/korvida")
file(RELATIVE_PATH KORVIDA_MODULE_DIR_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_LIBDIR}/korvida")

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/bin")
cmake_path(ABSOLUTE_PATH KORVIDA_MODULE_DIR_FROM_BIN
           BASE_DIRECTORY "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}" NORMALIZE
           OUTPUT_VARIABLE KORVIDA_MODULE_BUILD_DIR)
cmake_path(IS_PREFIX PROJECT_BINARY_DIR "${KORVIDA_MODULE_BUILD_DIR}" NORMALIZE
           module_dir_in_build_tree)
if(NOT module_dir_in_build_tree)
  message(FATAL_ERROR "The library folder must be reachable from the bin folder within the "
          "install prefix (${CMAKE_INSTALL_FULL_BINDIR} -> ${CMAKE_INSTALL_FULL_LIBDIR})")
endif()
