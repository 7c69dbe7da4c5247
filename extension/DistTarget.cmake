# `dist`: what a user installs, assembled in dist/Framehaul below the build
# folder and zipped as dist/Framehaul.zip. The 64-bit module comes from the
# extension-only x86_64 build in FH_WIN64_DIR, which dist configures when it
# is not there yet and always brings up to date.

set(FH_WIN64_DIR "${CMAKE_SOURCE_DIR}/build/win64" CACHE PATH
    "Build folder of the 64-bit Snagbar.dll (x86_64 toolchain, FH_EXTENSION_ONLY=ON)")

function(fh_add_dist_target)
  set(here ${CMAKE_SOURCE_DIR}/extension)
  add_custom_target(dist
    COMMAND ${CMAKE_COMMAND}
      -DDIST_DIR=${CMAKE_BINARY_DIR}/dist
      -DPROGRAM=$<TARGET_FILE:Framehaul>
      -DMODULE32=$<TARGET_FILE:Snagbar>
      -DWIN64_DIR=${FH_WIN64_DIR}
      -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
      -P ${here}/Dist.cmake
    DEPENDS ${here}/Dist.cmake ${here}/SnagbarPage.html ${here}/SnagbarLink.html
            ${here}/dist-README.txt
    COMMENT "Packaging Framehaul into ${CMAKE_BINARY_DIR}/dist"
    VERBATIM)
  add_dependencies(dist Snagbar Framehaul)
endfunction()

fh_add_dist_target()
