# A static libarchive for the Windows DLLs, built from Debian's source package
# (scripts/fetch-mingw-sources puts it in build/deps) with this build's own
# toolchain and Debian's MinGW zlib. Only the ZIP-relevant pieces are
# switched on: no external compressors, no command-line tools, no tests.
include(ExternalProject)

set(BREVANE_LIBARCHIVE_SOURCE "${CMAKE_SOURCE_DIR}/build/deps/libarchive"
    CACHE PATH "Debian's libarchive source tree for the Windows build")
if(NOT EXISTS "${BREVANE_LIBARCHIVE_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "No libarchive source at ${BREVANE_LIBARCHIVE_SOURCE}: run scripts/setup "
                      "(it fetches Debian's source package for the Windows build).")
endif()
set(_zlib "/usr/${MINGW_PREFIX}/lib/libz.a")
if(NOT EXISTS "${_zlib}")
  message(FATAL_ERROR "No MinGW zlib at ${_zlib}: run scripts/setup (package libz-mingw-w64-dev).")
endif()

set(_prefix "${CMAKE_BINARY_DIR}/libarchive")
set(_lib "${_prefix}/build/libarchive/libarchive_static.a")
set(_launcher)
if(CCACHE_PROGRAM)
  set(_launcher -DCMAKE_C_COMPILER_LAUNCHER=${CCACHE_PROGRAM})
endif()
ExternalProject_Add(libarchive_mingw
  SOURCE_DIR "${BREVANE_LIBARCHIVE_SOURCE}"
  PREFIX "${_prefix}"
  BINARY_DIR "${_prefix}/build"
  CMAKE_ARGS
    -G Ninja
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    ${_launcher}
    -DZLIB_LIBRARY=${_zlib}
    -DZLIB_INCLUDE_DIR=/usr/${MINGW_PREFIX}/include
    # Cross-built: the zlib calling-convention probe cannot run; Debian's zlib uses the C one.
    -DZLIB_WINAPI_EXITCODE=1
    -DZLIB_WINAPI_EXITCODE__TRYRUN_OUTPUT=
    -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_NETTLE=OFF -DENABLE_CNG=ON
    -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_ZSTD=OFF -DENABLE_LZMA=OFF -DENABLE_BZip2=OFF
    -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF -DENABLE_PCREPOSIX=OFF -DENABLE_PCRE2POSIX=OFF -DENABLE_LIBB2=OFF
    -DENABLE_ICONV=OFF -DENABLE_ACL=OFF -DENABLE_XATTR=OFF
    -DENABLE_TAR=OFF -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_UNZIP=OFF -DENABLE_TEST=OFF
    -DENABLE_INSTALL=OFF -DENABLE_WERROR=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build . --target archive_static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS "${_lib}"
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON)

add_library(brevane_libarchive STATIC IMPORTED GLOBAL)
set_target_properties(brevane_libarchive PROPERTIES IMPORTED_LOCATION "${_lib}")
target_include_directories(brevane_libarchive INTERFACE "${BREVANE_LIBARCHIVE_SOURCE}/libarchive")
target_compile_definitions(brevane_libarchive INTERFACE LIBARCHIVE_STATIC)
# advapi32: libarchive's random bytes for encrypted entries.
target_link_libraries(brevane_libarchive INTERFACE "${_zlib}" bcrypt advapi32)
add_dependencies(brevane_libarchive libarchive_mingw)
