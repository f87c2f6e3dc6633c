# Installation and packages without the window: lumigram-cli, its man page and
# bash completion, as a .deb (cpack -G DEB) or a tarball (cpack -G TGZ). No
# desktop entry, icon or thumbnailer: each of those needs the window's Qt side.
include(GNUInstallDirs)
install(TARGETS lumigram-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
add_subdirectory(data)

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_NAME lumigram-cli)
set(CPACK_PACKAGE_VENDOR "Lumigram")
set(CPACK_PACKAGE_CONTACT "Lumigram developers <lumigram@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Convert phone skin pictures and skin packages from the command line")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The .deb installs under /usr; the tarball holds one folder with bin/ and
# share/, to unpack anywhere.
set(CPACK_PACKAGE_FILE_NAME "lumigram-cli-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
# lumigram-cli carries its C++ runtime; zlib is its one library besides the C
# library. The full package installs the same program.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "zlib1g (>= 1:1.2.13), libc6 (>= 2.36)")
set(CPACK_DEBIAN_PACKAGE_CONFLICTS lumigram)
include(CPack)
