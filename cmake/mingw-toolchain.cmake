# Cross-build for 64-bit Windows with Debian's MinGW-w64 (posix threads, so
# std::thread and std::mutex exist). Everything the compiler brings is linked
# statically: brevane.dll needs no runtime DLL beside it. The 32-bit build
# (mingw32-toolchain.cmake) sets BREVANE_MINGW_ARCH and link flags first.
if(NOT BREVANE_MINGW_ARCH)
  set(BREVANE_MINGW_ARCH x86_64)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${BREVANE_MINGW_ARCH})
set(MINGW_PREFIX ${BREVANE_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ ${BREVANE_MINGW_SHARED_LINK}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# -O3 trips GCC 12's false -Wrestrict warning on std::u16string concatenation
# (GCC bug 105329); -O2 is as fast for this code and stays warning-clean.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Release flags")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE "-s" CACHE STRING "Release link flags: no symbols in the shipped DLL")
