# Run by the dist target (cmake -P). Input: DIST_DIR, PROGRAM, MODULE32, WIN64_DIR (may be empty), SOURCE_DIR.
set(out "${DIST_DIR}/Framehaul")
# A file dropped from the package must not linger from an earlier run.
file(REMOVE_RECURSE "${out}" "${DIST_DIR}/Framehaul.zip")
file(MAKE_DIRECTORY "${out}")

file(COPY "${PROGRAM}" DESTINATION "${out}")
file(COPY "${MODULE32}" DESTINATION "${out}")

if(WIN64_DIR)
  if(NOT EXISTS "${WIN64_DIR}/CMakeCache.txt")
    execute_process(
      COMMAND ${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WIN64_DIR}"
              -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/mingw-x86_64.cmake
              -DFH_EXTENSION_ONLY=ON
      RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "dist: configuring the 64-bit build in ${WIN64_DIR} failed")
    endif()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build "${WIN64_DIR}" --target Snagbar
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dist: building the 64-bit Snagbar.dll in ${WIN64_DIR} failed")
  endif()
  file(COPY "${WIN64_DIR}/extension/Snagbar.dll" DESTINATION "${out}/x64")
else()
  message(WARNING "dist: FH_WIN64_DIR is empty; the package lacks x64/Snagbar.dll")
endif()

file(COPY "${SOURCE_DIR}/extension/SnagbarPage.html" "${SOURCE_DIR}/extension/SnagbarLink.html"
     DESTINATION "${out}")
configure_file("${SOURCE_DIR}/extension/dist-README.txt" "${out}/README.txt" COPYONLY)

execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf Framehaul.zip --format=zip Framehaul
                WORKING_DIRECTORY "${DIST_DIR}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dist: zipping ${out} failed")
endif()
