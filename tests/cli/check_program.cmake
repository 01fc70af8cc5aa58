# Runs PROGRAM with ARGS (separated by "|") and checks its exit status and
# that standard output and standard error match the STDOUT and STDERR
# regular expressions.
if(ARGS STREQUAL "")
  set(arguments "")
else()
  string(REPLACE "|" ";" arguments "${ARGS}")
endif()
execute_process(COMMAND ${PROGRAM} ${arguments}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT out MATCHES "${STDOUT}")
  message(FATAL_ERROR "stdout does not match '${STDOUT}':\n${out}")
endif()
if(NOT err MATCHES "${STDERR}")
  message(FATAL_ERROR "stderr does not match '${STDERR}':\n${err}")
endif()
