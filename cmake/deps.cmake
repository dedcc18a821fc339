# Libraries the platform layer builds on; each subsystem adds what it needs here.
find_package(Threads REQUIRED)
target_link_libraries(brevane_lib PUBLIC Threads::Threads)
