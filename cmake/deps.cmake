# Libraries the platform layer builds on; each subsystem adds what it needs here.
find_package(Threads REQUIRED)
target_link_libraries(brevane_lib PUBLIC Threads::Threads)

# Regular expressions: PCRE2's 16-bit library works on our UTF-16 text as is.
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(PCRE2_16 REQUIRED IMPORTED_TARGET libpcre2-16)
  target_link_libraries(brevane_lib PUBLIC PkgConfig::PCRE2_16)
endif()
