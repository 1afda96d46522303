# Writes a program's completion script for a shell into a file.
#   cmake -DPROGRAM=prog -DSHELL=bash -DOUT=file -P write_completion.cmake
get_filename_component(folder ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
execute_process(COMMAND ${PROGRAM} --completion ${SHELL} OUTPUT_FILE ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUT})
  message(FATAL_ERROR "${PROGRAM} --completion ${SHELL} exited ${result}")
endif()
