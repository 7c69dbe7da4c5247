# `dist`: what a user installs, assembled in dist/Framehaul below the build
# folder and zipped as dist/Framehaul.zip. The 64-bit module comes from the
# extension-only x86_64 build in FH_WIN64_DIR, which dist configures when it
# is not there yet and always brings up to date.

set(FH_WIN64_DIR "${CMAKE_SOURCE_DIR}/build/win64" CACHE PATH
    "Build folder of the 64-bit Snagbar.dll (x86_64 toolchain, FH_EXTENSION_ONLY=ON)")

function(fh_add_dist_target)
  # The program is another folder's target and may not exist in every
  # checkout; the package is still made from what there is.
  set(program "")
  set(depends Snagbar)
  if(TARGET Framehaul)
    set(program "$<TARGET_FILE:Framehaul>")
    list(APPEND depends Framehaul)
  endif()
  set(here ${CMAKE_SOURCE_DIR}/extension)
  add_custom_target(dist
    COMMAND ${CMAKE_COMMAND}
      -DDIST_DIR=${CMAKE_BINARY_DIR}/dist
      -DPROGRAM=${program}
      -DMODULE32=$<TARGET_FILE:Snagbar>
      -DWIN64_DIR=${FH_WIN64_DIR}
      -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
      -P ${here}/Dist.cmake
    DEPENDS ${here}/Dist.cmake ${here}/SnagbarPage.html ${here}/SnagbarLink.html
            ${here}/dist-README.txt
    COMMENT "Packaging Framehaul into ${CMAKE_BINARY_DIR}/dist"
    VERBATIM)
  add_dependencies(dist ${depends})
endfunction()

# Decided once the whole tree is read, when every target is known.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL fh_add_dist_target)
