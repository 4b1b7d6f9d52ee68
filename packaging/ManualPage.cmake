# Writes a program's manual page, compressed as Debian installs them:
#   cmake -DPROGRAM=path -DSECTION=N -DOUTPUT=page.N -P ManualPage.cmake
# leaves page.N.gz (gzip -9n: no name, no time stamp, the same bytes on
# every build). The program prints the page from its own option definitions
# (GLOWMOTION_MANUAL_PAGE, base/CommandLine).
set(ENV{GLOWMOTION_MANUAL_PAGE} "${SECTION}")
execute_process(COMMAND "${PROGRAM}" OUTPUT_FILE "${OUTPUT}" ERROR_VARIABLE error RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} did not write its manual page (status ${status}): ${error}")
endif()
execute_process(COMMAND gzip -9nf "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${OUTPUT} failed (status ${status})")
endif()
