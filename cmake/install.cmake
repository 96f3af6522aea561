# What `cmake --install` puts where, the CMake package and pkg-config files that find it, and the
# archives CPack makes of it. Everything installed is relocatable: no absolute build path is kept.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

if(NOT WIN32)
  # Installed anywhere, the library finds libtamrik beside it and the tool finds both.
  set_target_properties(vindra PROPERTIES INSTALL_RPATH "$ORIGIN")
  set_target_properties(vindra-info PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()

install(TARGETS vindra tamrik EXPORT vindraTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(TARGETS vindra-info RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY include/vindra tamrik/include/tamrik DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
if(WIN32)
  # The import libraries for Microsoft's linker, made beside GCC's.
  install(FILES $<TARGET_LINKER_FILE_DIR:vindra>/vindra.lib $<TARGET_LINKER_FILE_DIR:tamrik>/Tamrik.lib
          DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
endif()

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/vindra)
install(EXPORT vindraTargets NAMESPACE vindra:: DESTINATION ${config_dir} COMPONENT development)
configure_package_config_file(cmake/vindraConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/vindraConfig.cmake
                              INSTALL_DESTINATION ${config_dir})
# A host asking for another major version gets CMake's version error.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/vindraConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vindraConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/vindraConfigVersion.cmake
        DESTINATION ${config_dir} COMPONENT development)

# GL, GLEW and X11 are named so that pkg-config reports a missing one; the linker also needs to find
# libtamrik, which libvindra loads, beside it. On Windows both live inside the DLLs.
if(WIN32)
  set(VINDRA_PC_REQUIRES "")
  set(VINDRA_PC_LINK_EXTRA "")
else()
  set(VINDRA_PC_REQUIRES "gl glew x11")
  set(VINDRA_PC_LINK_EXTRA " -Wl,-rpath-link,\${libdir}")
endif()
foreach(pc vindra tamrik)
  configure_file(cmake/${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
          COMPONENT development)
endforeach()

set(CPACK_PACKAGE_NAME vindra)
set(CPACK_PACKAGE_VENDOR "vindra")
set(CPACK_PACKAGE_CONTACT "vindra developers <vindra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
else()
  set(CPACK_GENERATOR "TGZ;DEB")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  # The shared libraries' own needs (GL, GLEW, X11, the C++ runtime), read from them by dpkg-shlibdeps;
  # OpenCL is loaded at run time when present.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ocl-icd-libopencl1")
endif()
include(CPack)
