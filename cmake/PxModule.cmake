# Helpers shared by every folder's CMakeLists.txt.
#
# Platform files are picked by their name: foo_win.cpp, foo_cng.cpp, foo_wic.cpp build only for
# Windows; foo_posix.cpp, foo_openssl.cpp, foo_x11.cpp, foo_turbo.cpp only for Linux. The same rule
# applies to tests (foo_win_test.cpp, foo_posix_test.cpp). Everything else is portable.
#
# The Wine test build (PX_WINE_CRYPTO) adds the suffix gcrypt: foo_gcrypt.cpp or
# foo_gcrypt_win.cpp builds only there, and there it stands in for foo_cng.cpp or foo_win.cpp
# (same stem; foo_gcrypt_win_test.cpp for foo_win_test.cpp), whose Windows calls Wine lacks.

set(PX_WINDOWS_SUFFIXES win cng wic dxgi d3d)
set(PX_POSIX_SUFFIXES posix openssl x11 turbo)

function(px_filter_platform_sources out_var)
  if(PX_WINDOWS)
    set(foreign ${PX_POSIX_SUFFIXES})
  else()
    set(foreign ${PX_WINDOWS_SUFFIXES})
  endif()
  if(NOT PX_WINE_CRYPTO)
    list(APPEND foreign gcrypt)
  endif()
  list(JOIN foreign "|" foreign)
  set(replaced)
  if(PX_WINE_CRYPTO)
    foreach(file ${ARGN})
      get_filename_component(name ${file} NAME)
      if(name MATCHES "^(.+)_gcrypt(_win)?(_test)?\\.cpp$")
        list(APPEND replaced ${CMAKE_MATCH_1}_cng${CMAKE_MATCH_3}.cpp
             ${CMAKE_MATCH_1}_win${CMAKE_MATCH_3}.cpp)
      endif()
    endforeach()
  endif()
  set(kept)
  foreach(file ${ARGN})
    get_filename_component(name ${file} NAME)
    if(NOT name MATCHES "_(${foreign})(_[a-z0-9]+)*\\.(cpp|c)$" AND NOT name IN_LIST replaced)
      list(APPEND kept ${file})
    endif()
  endforeach()
  set(${out_var} ${kept} PARENT_SCOPE)
endfunction()

# Wine test build: libgcrypt's DLLs (found by src/crypto) beside `target`, where the loader looks
# first.
function(px_copy_wine_crypto_dlls target)
  if(PX_WINE_CRYPTO)
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PX_GCRYPT_DLLS}
                               $<TARGET_FILE_DIR:${target}>)
  endif()
endfunction()

# px_add_module(<target> [LIBS <libs...>] [EXCLUDE <files...>]): a static library from the *.cpp
# files of the calling folder, filtered by platform, less the excluded ones (an executable's entry
# point).
function(px_add_module target)
  cmake_parse_arguments(ARG "" "" "LIBS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  px_filter_platform_sources(sources ${sources})
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY PX_MODULES ${target})
  if(ARG_LIBS)
    target_link_libraries(${target} ${scope} ${ARG_LIBS})
  endif()
endfunction()

# Test sources of a folder tree (tests/<area>/*_test.cpp), filtered by platform.
function(px_collect_tests out_var dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  px_filter_platform_sources(sources ${sources})
  set(${out_var} ${sources} PARENT_SCOPE)
endfunction()
