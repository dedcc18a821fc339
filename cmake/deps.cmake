# Libraries the platform layer builds on; each subsystem adds what it needs here.
find_package(Threads REQUIRED)
target_link_libraries(brevane_core PUBLIC Threads::Threads)

# Native web host: cpp-httplib (Debian builds it as a shared library).
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
endif()

# Regular expressions: PCRE2's 16-bit library works on our UTF-16 text as is.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(PCRE2_16 REQUIRED IMPORTED_TARGET libpcre2-16)
  target_link_libraries(brevane_platform PUBLIC PkgConfig::PCRE2_16)
endif()

# Record sets over SQLite (src/platform/posix/adodb_sqlite.cpp).
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
  target_link_libraries(brevane_platform PUBLIC PkgConfig::SQLITE3)
endif()

# Files (file operations, URL probe, remote pictures): libcurl on Linux; the shell, WinINet and WinSock on Windows.
if(WIN32)
  target_link_libraries(brevane_platform PUBLIC shell32 wininet ws2_32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(BREVANE_CURL REQUIRED IMPORTED_TARGET libcurl)
  target_link_libraries(brevane_platform PUBLIC PkgConfig::BREVANE_CURL)
endif()

# Archives (src/platform/archive_libarchive.cpp): Debian's library on Linux,
# a static build of Debian's source on Windows.
if(WIN32)
  include(${CMAKE_SOURCE_DIR}/cmake/libarchive-mingw.cmake)
  target_link_libraries(brevane_platform PUBLIC brevane_libarchive)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBARCHIVE REQUIRED IMPORTED_TARGET libarchive)
  target_link_libraries(brevane_platform PUBLIC PkgConfig::LIBARCHIVE)
endif()
