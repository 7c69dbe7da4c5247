# Framehaul ships in two editions built from the same sources: x86 (i686,
# the first) and x64 (x86_64). Each edition's package carries the browser
# module of the other kind too, in a subfolder, for the browser of that
# kind; it comes from the other edition's build folder.
#   FH_EDITION, FH_OTHER_EDITION   x86 | x64
#   FH_OTHER_TOOLCHAIN             the toolchain file of the other build
#   FH_OTHER_BUILD_DIR             its build folder (cache)
#   FH_PACKAGE_SUFFIX              "" | "-x64": in the zip's and setup's names
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(FH_EDITION x64)
  set(FH_OTHER_EDITION x86)
  set(FH_OTHER_TOOLCHAIN ${CMAKE_SOURCE_DIR}/cmake/mingw-i686.cmake)
  set(other_dir build/win)
  set(FH_PACKAGE_SUFFIX -x64)
else()
  set(FH_EDITION x86)
  set(FH_OTHER_EDITION x64)
  set(FH_OTHER_TOOLCHAIN ${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64.cmake)
  set(other_dir build/win64)
  set(FH_PACKAGE_SUFFIX "")
endif()
set(FH_OTHER_BUILD_DIR "${CMAKE_SOURCE_DIR}/${other_dir}" CACHE PATH
    "Build folder of the other edition, for its Snagbar.dll")
set(FH_OTHER_MODULE "${FH_OTHER_BUILD_DIR}/extension/Snagbar.dll")
