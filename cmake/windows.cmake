# The Windows in-process server: brevane.dll with its type library embedded,
# and (under tests/comkit) the test-only DLL that exposes the host test kit.
enable_language(RC)

set(WIDL x86_64-w64-mingw32-widl)
set(WIDL_BITS --win64)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(WIDL i686-w64-mingw32-widl)
  set(WIDL_BITS --win32)
endif()
set(WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "System IDL files (Debian libwine-dev)")
set(WINE_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Where stdole2.tlb lives")

# The COM adapter, shared by every DLL we build.
file(GLOB com_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/com/*.cpp)
list(REMOVE_ITEM com_sources ${CMAKE_SOURCE_DIR}/src/com/brevane_dll.cpp)
add_library(brevane_com STATIC ${com_sources})
target_link_libraries(brevane_com PUBLIC brevane_lib oleaut32 ole32 uuid advapi32)
target_compile_options(brevane_com PRIVATE ${BREVANE_SOURCE_WARNINGS})

add_custom_command(
  OUTPUT ${GEN_DIR}/brevane.tlb
  COMMAND ${WIDL} -I${WINE_IDL_DIR} -L${WINE_TLB_DIR} ${WIDL_BITS} -t -o ${GEN_DIR}/brevane.tlb ${GEN_DIR}/brevane.idl
  DEPENDS ${GEN_DIR}/brevane.idl
  COMMENT "Compiling the type library")
configure_file(${CMAKE_SOURCE_DIR}/src/com/brevane.rc.in ${GEN_DIR}/brevane.rc @ONLY)
set_source_files_properties(${GEN_DIR}/brevane.rc PROPERTIES OBJECT_DEPENDS ${GEN_DIR}/brevane.tlb)

add_library(brevane SHARED ${CMAKE_SOURCE_DIR}/src/com/brevane_dll.cpp ${CMAKE_SOURCE_DIR}/src/com/brevane.def
                           ${GEN_DIR}/brevane.rc)
set_target_properties(brevane PROPERTIES PREFIX "" OUTPUT_NAME brevane)
target_link_libraries(brevane PRIVATE brevane_com)
target_compile_options(brevane PRIVATE ${BREVANE_SOURCE_WARNINGS})

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/comkit/CMakeLists.txt)
  add_subdirectory(tests/comkit)
endif()
