# The DLLs a Windows program of ours needs beside it: the compiler's shared runtime (the program,
# the platform library and the dialog library share C++ objects, so the runtime cannot be
# linked statically into each) and the outside libraries built by scripts/windows-deps.
set(TAVELO_RUNTIME_DLLS)
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "the compiler has no ${runtime}")
  endif()
  list(APPEND TAVELO_RUNTIME_DLLS ${found})
endforeach()
file(GLOB outside_dlls ${TAVELO_WINDOWS_DEPS}/bin/*.dll)
# mpg123 also builds its output libraries, which nothing here uses.
list(FILTER outside_dlls EXCLUDE REGEX "(out|syn)123")
list(APPEND TAVELO_RUNTIME_DLLS ${outside_dlls})

add_custom_target(tavelo_runtime_dlls ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TAVELO_RUNTIME_DLLS}
          ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMENT "Copying the runtime DLLs beside the programs")
