# Fills @EXIT_STATUS@ in a manual page's scdoc source with a program's exit
# codes, read from the "Exit status:" table that ends its help: each
# program's table in its code is the one place they are written.
#
#   cmake -DPROGRAM=prog -DHELP_FLAG=--help -DIN=page.scd.in -DOUT=page.scd -P fill_exit_status.cmake
execute_process(COMMAND ${PROGRAM} ${HELP_FLAG} OUTPUT_VARIABLE help RESULT_VARIABLE result)
string(FIND "${help}" "\nExit status:\n" at)
if(NOT result EQUAL 0 OR at EQUAL -1)
  message(FATAL_ERROR "${PROGRAM} ${HELP_FLAG} exited ${result} or shows no \"Exit status:\" table")
endif()
math(EXPR at "${at} + 14")
string(SUBSTRING "${help}" ${at} -1 table)
# "  0    meaning" lines, the last thing the help shows, as scdoc's list.
string(REGEX REPLACE "  ([0-9]+) +([^\n]*)\n" "*\\1*\n\t\\2\n\n" entries "${table}")
file(READ ${IN} page)
string(FIND "${page}" "@EXIT_STATUS@" placeholder)
if(placeholder EQUAL -1 OR entries MATCHES "^[^*]" OR entries STREQUAL "")
  message(FATAL_ERROR "${IN}: no @EXIT_STATUS@ to fill, or ${PROGRAM}'s table does not read: ${table}")
endif()
string(REPLACE "@EXIT_STATUS@" "${entries}" page "${page}")
file(WRITE ${OUT} "${page}")
