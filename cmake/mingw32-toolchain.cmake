# Cross-build for 32-bit Windows (32-bit application pools), otherwise as
# the 64-bit one: posix threads, the compiler's runtime linked in.
set(BREVANE_MINGW_ARCH i686)
# The exports are listed undecorated (brevane.def); their stdcall names match them.
set(BREVANE_MINGW_SHARED_LINK "-Wl,--enable-stdcall-fixup")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
