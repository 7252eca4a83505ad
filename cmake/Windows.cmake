# What a Windows build adds: narrow Japanese literals kept as UTF-8 (the program's text is UTF-8
# everywhere; file names go through the wide API), and GoogleTest built from source when
# cross-compiling, since Debian's libgtest-dev is for the build machine only.
if(MSVC)
  add_compile_options(/utf-8)
else()
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=UTF-8)
endif()
# No <windows.h> min/max macros, and no rarely used headers pulled in behind our backs.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

if(CMAKE_CROSSCOMPILING)
  set(PELLUM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${PELLUM_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# Tests and the programs a test starts run through Wine, in a prefix of this build's own.
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run
      ${CMAKE_BINARY_DIR}/wineprefix)
endif()
