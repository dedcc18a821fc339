# What `cmake --install` puts in place, and the packages CPack makes of it:
# on Linux the program with its demo site, a man page, a systemd unit and a
# library with headers, CMake package and pkg-config file (a Debian package
# each for the program and the library); on Windows a zip with the DLL.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME brevane)
set(CPACK_PACKAGE_VENDOR "Brevane")
set(CPACK_PACKAGE_CONTACT "Brevane maintainers <brevane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Automation component for server-side pages of Chinese-language sites")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})

if(WIN32)
  # The zip: the DLLs in x64\ and (when built) x86\, the type library,
  # the registration scripts and the guide, all under one top folder.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The 32-bit build only makes the DLL the 64-bit build's zip carries.
    install(TARGETS brevane RUNTIME DESTINATION x86)
    return()
  endif()
  install(TARGETS brevane RUNTIME DESTINATION x64)
  set(BREVANE_X86_DLL ${CMAKE_SOURCE_DIR}/build/mingw32/brevane.dll
      CACHE FILEPATH "The 32-bit brevane.dll the zip carries in x86 (the mingw32 preset builds it)")
  install(FILES ${BREVANE_X86_DLL} DESTINATION x86 OPTIONAL)
  install(FILES ${GEN_DIR}/brevane.tlb DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/windows/register.cmd ${CMAKE_SOURCE_DIR}/packaging/windows/unregister.cmd
                ${CMAKE_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME brevane-${PROJECT_VERSION}-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
  return()
endif()

# ---- the library: every layer in one static archive, libbrevane.a ----
# (component and every layer below it, as brevane_layer() recorded them)
get_property(brevane_layers GLOBAL PROPERTY BREVANE_BELOW_component)
list(APPEND brevane_layers component)
set(brevane_objects)
foreach(layer IN LISTS brevane_layers)
  list(APPEND brevane_objects $<TARGET_OBJECTS:brevane_${layer}>)
endforeach()
add_library(brevane_library STATIC ${brevane_objects})
set_target_properties(brevane_library PROPERTIES OUTPUT_NAME brevane EXPORT_NAME brevane)
target_include_directories(brevane_library INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/brevane>)
# The libraries the layers link, as one imported target a consumer's
# find_package recreates (BrevaneConfig.cmake) from the same pkg-config names.
set(BREVANE_PC_REQUIRES libpcre2-16 sqlite3 libcurl libarchive)
pkg_check_modules(BREVANE_DEPS REQUIRED IMPORTED_TARGET ${BREVANE_PC_REQUIRES})
list(JOIN BREVANE_PC_REQUIRES " " BREVANE_PC_REQUIRES_TEXT)
target_link_libraries(brevane_library INTERFACE Threads::Threads PkgConfig::BREVANE_DEPS)

install(TARGETS brevane_library EXPORT BrevaneTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
foreach(layer IN LISTS brevane_layers)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/src/${layer}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brevane/${layer}
          COMPONENT dev FILES_MATCHING PATTERN "*.h" PATTERN "windows" EXCLUDE)
endforeach()
install(FILES ${GEN_DIR}/decl/members.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brevane/decl COMPONENT dev)

set(BREVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brevane)
install(EXPORT BrevaneTargets NAMESPACE Brevane:: DESTINATION ${BREVANE_CMAKE_DIR} COMPONENT dev)
include(CMakePackageConfigHelpers)
configure_package_config_file(${CMAKE_SOURCE_DIR}/packaging/BrevaneConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/BrevaneConfig.cmake INSTALL_DESTINATION ${BREVANE_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/BrevaneConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/BrevaneConfig.cmake ${CMAKE_BINARY_DIR}/BrevaneConfigVersion.cmake
        DESTINATION ${BREVANE_CMAKE_DIR} COMPONENT dev)

# pkg-config: the prefix follows the file, so an install under any --prefix works.
file(RELATIVE_PATH BREVANE_PC_UP /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" BREVANE_PC_UP "${BREVANE_PC_UP}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/brevane.pc.in ${CMAKE_BINARY_DIR}/brevane.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/brevane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# ---- the program, its demo site, man page and service ----
set(BREVANE_SITE_DIR ${CMAKE_INSTALL_DATADIR}/brevane/site)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/site/pages/site_location.cpp APPEND
             PROPERTY COMPILE_DEFINITIONS BREVANE_INSTALLED_SITE="${BREVANE_SITE_DIR}")
install(TARGETS brevane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/site/ DESTINATION ${BREVANE_SITE_DIR} COMPONENT runtime PATTERN pages EXCLUDE)

set(BREVANE_MAN ${CMAKE_BINARY_DIR}/brevane.1.gz)
add_custom_command(OUTPUT ${BREVANE_MAN} COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/docs/brevane.1 > ${BREVANE_MAN}
                   DEPENDS ${CMAKE_SOURCE_DIR}/docs/brevane.1 VERBATIM)
add_custom_target(brevane_man ALL DEPENDS ${BREVANE_MAN})
install(FILES ${BREVANE_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

# The unit names the paths of the install it belongs to, known only when
# installing (a package installs under /usr, `--prefix` anywhere).
install(CODE "set(BREVANE_UNIT_TEMPLATE \"${CMAKE_SOURCE_DIR}/packaging/linux/brevane.service.in\")
              set(BREVANE_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
              set(BREVANE_SITE_DIR \"${BREVANE_SITE_DIR}\")
              include(\"${CMAKE_SOURCE_DIR}/packaging/linux/install_unit.cmake\")"
        COMPONENT runtime)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/linux/brevane.sysusers DESTINATION lib/sysusers.d RENAME brevane.conf
        COMPONENT runtime)

# ---- Debian packages: brevane (program, site, man page, service) and libbrevane-dev ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME brevane)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/linux/postinst
                                               ${CMAKE_SOURCE_DIR}/packaging/linux/prerm ${CMAKE_SOURCE_DIR}/packaging/linux/postrm)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libbrevane-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "libpcre2-dev, libsqlite3-dev, libcurl4-openssl-dev | libcurl-dev, libarchive-dev, pkg-config")
include(CPack)
