# Run by the build (cmake -P): makes the Windows deliverables from the programs of BIN.
#   STAGE/tavelo             the program folder as a user gets it
#   DIST/tavelo-windows-x64.zip   that folder, zipped
#   DIST/tavelo_setup.exe    the installer (makensis on NSIS_SCRIPT)
# FILES names the files of BIN that make up the program, separated by "|"; STRIP is the
# cross-compiler's strip.
string(REPLACE "|" ";" files "${FILES}")
set(folder ${STAGE}/tavelo)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${folder} ${DIST})
foreach(name IN LISTS files)
  file(COPY ${BIN}/${name} DESTINATION ${folder})
endforeach()
# What a user gets carries no debugging symbols: the compiler's runtime alone has 20 MB of them.
file(GLOB binaries ${folder}/*.exe ${folder}/*.dll)
execute_process(COMMAND ${STRIP} --strip-debug ${binaries} RESULT_VARIABLE stripped)
if(NOT stripped EQUAL 0)
  message(FATAL_ERROR "the programs could not be stripped")
endif()
if(EXISTS ${BIN}/manual)
  file(COPY ${BIN}/manual DESTINATION ${folder})
endif()

# What the uninstaller removes: the program's own files, not the data the user made.
set(removals "")
file(GLOB installed RELATIVE ${folder} ${folder}/*)
foreach(name IN LISTS installed)
  if(IS_DIRECTORY ${folder}/${name})
    string(APPEND removals "  RMDir /r \"$INSTDIR\\${name}\"\n")
  else()
    string(APPEND removals "  Delete \"$INSTDIR\\${name}\"\n")
  endif()
endforeach()
file(WRITE ${STAGE}/uninstall-files.nsh "${removals}")

file(REMOVE ${DIST}/tavelo-windows-x64.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${DIST}/tavelo-windows-x64.zip --format=zip
                        tavelo
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "the zip could not be made")
endif()
execute_process(COMMAND makensis -V2 -DSOURCE=${folder} -DOUTPUT=${DIST}/tavelo_setup.exe
                        -DFILES=${STAGE}/uninstall-files.nsh ${NSIS_SCRIPT}
                RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "makensis could not make the installer")
endif()
