# Helpers shared by every folder's CMakeLists.txt.
#
# Platform files are picked by their name: foo_win.cpp, foo_cng.cpp, foo_wic.cpp build only for
# Windows; foo_posix.cpp, foo_openssl.cpp, foo_x11.cpp, foo_turbo.cpp only for Linux. The same rule
# applies to tests (foo_win_test.cpp, foo_posix_test.cpp). Everything else is portable.

set(PX_WINDOWS_SUFFIXES win cng wic dxgi d3d)
set(PX_POSIX_SUFFIXES posix openssl x11 turbo)

function(px_filter_platform_sources out_var)
  if(PX_WINDOWS)
    list(JOIN PX_POSIX_SUFFIXES "|" foreign)
  else()
    list(JOIN PX_WINDOWS_SUFFIXES "|" foreign)
  endif()
  set(kept)
  foreach(file ${ARGN})
    get_filename_component(name ${file} NAME)
    if(NOT name MATCHES "_(${foreign})(_[a-z0-9]+)?\\.(cpp|c)$")
      list(APPEND kept ${file})
    endif()
  endforeach()
  set(${out_var} ${kept} PARENT_SCOPE)
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
