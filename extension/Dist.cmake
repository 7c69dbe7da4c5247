# Run by the dist target (cmake -P). Input: DIST_DIR, PROGRAM, MODULE,
# EDITION and OTHER_EDITION (x86 | x64), OTHER_DIR (the other edition's
# build folder; may be empty), OTHER_TOOLCHAIN, ZIP (the zip's file name),
# SOURCE_DIR.
#
# One package for either edition: the program and the browser module of its
# own kind, the other kind's module in a subfolder named after that edition
# (for the other browser on 64-bit Windows), the pages and the README.
set(out "${DIST_DIR}/Framehaul")
# A file dropped from the package must not linger from an earlier run.
file(REMOVE_RECURSE "${out}" "${DIST_DIR}/${ZIP}")
file(MAKE_DIRECTORY "${out}")

file(COPY "${PROGRAM}" "${MODULE}" DESTINATION "${out}")

if(OTHER_DIR)
  if(NOT EXISTS "${OTHER_DIR}/CMakeCache.txt")
    execute_process(
      COMMAND ${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${OTHER_DIR}" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_TOOLCHAIN_FILE=${OTHER_TOOLCHAIN} -DFH_EXTENSION_ONLY=ON
      RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "dist: configuring the ${OTHER_EDITION} build in ${OTHER_DIR} failed")
    endif()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build "${OTHER_DIR}" --target Snagbar
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dist: building the ${OTHER_EDITION} Snagbar.dll in ${OTHER_DIR} failed")
  endif()
  file(COPY "${OTHER_DIR}/extension/Snagbar.dll" DESTINATION "${out}/${OTHER_EDITION}")
else()
  message(WARNING "dist: FH_OTHER_BUILD_DIR is empty; the package lacks ${OTHER_EDITION}/Snagbar.dll")
endif()

file(COPY "${SOURCE_DIR}/extension/SnagbarPage.html" "${SOURCE_DIR}/extension/SnagbarLink.html"
     DESTINATION "${out}")
# The README names the two modules of this edition.
if(EDITION STREQUAL "x64")
  set(OWN_BITS 64)
  set(OTHER_BITS 32)
  set(OTHER_REGSVR32 "%SystemRoot%\\SysWOW64\\regsvr32")
else()
  set(OWN_BITS 32)
  set(OTHER_BITS 64)
  set(OTHER_REGSVR32 "%SystemRoot%\\System32\\regsvr32")
endif()
configure_file("${SOURCE_DIR}/extension/dist-README.txt" "${out}/README.txt" @ONLY)

execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip Framehaul
                WORKING_DIRECTORY "${DIST_DIR}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dist: zipping ${out} failed")
endif()
