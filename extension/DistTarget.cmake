# `dist`: what a user installs, assembled in dist/Framehaul below the build
# folder and zipped as dist/Framehaul<suffix>.zip. The other edition's module
# comes from its build in FH_OTHER_BUILD_DIR, which dist configures (module
# only) when it is not there yet and always brings up to date.

function(fh_add_dist_target)
  set(here ${CMAKE_SOURCE_DIR}/extension)
  add_custom_target(dist
    COMMAND ${CMAKE_COMMAND}
      -DDIST_DIR=${CMAKE_BINARY_DIR}/dist
      -DPROGRAM=$<TARGET_FILE:Framehaul>
      -DMODULE=$<TARGET_FILE:Snagbar>
      -DEDITION=${FH_EDITION}
      -DOTHER_EDITION=${FH_OTHER_EDITION}
      -DOTHER_DIR=${FH_OTHER_BUILD_DIR}
      -DOTHER_TOOLCHAIN=${FH_OTHER_TOOLCHAIN}
      -DZIP=Framehaul${FH_PACKAGE_SUFFIX}.zip
      -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
      -P ${here}/Dist.cmake
    DEPENDS ${here}/Dist.cmake ${here}/SnagbarPage.html ${here}/SnagbarLink.html
            ${here}/dist-README.txt
    COMMENT "Packaging Framehaul (${FH_EDITION}) into ${CMAKE_BINARY_DIR}/dist"
    VERBATIM)
  add_dependencies(dist Snagbar Framehaul)
endfunction()

fh_add_dist_target()
