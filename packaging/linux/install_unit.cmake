# Run at install time (from cmake/install.cmake): writes the systemd unit with
# the install's own prefix.
set(BREVANE_BIN_PATH "${CMAKE_INSTALL_PREFIX}/${BREVANE_BINDIR}/brevane")
set(BREVANE_SITE_PATH "${CMAKE_INSTALL_PREFIX}/${BREVANE_SITE_DIR}")
set(unit "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/systemd/system/brevane.service")
message(STATUS "Installing: ${unit}")
configure_file("${BREVANE_UNIT_TEMPLATE}" "${unit}" @ONLY)
file(CHMOD "${unit}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
