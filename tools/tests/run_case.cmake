# Runs the gridlume tool once and checks what it answered. Variables:
#   TOOL             the executable
#   ARGS             its arguments, separated by "|"
#   WORKDIR          where to run it (created when missing)
#   EXIT             the expected exit status
#   STDOUT_FILE      a file standard output must equal
#   STDOUT_MATCHES   a regular expression standard output must match
#   STDERR_MATCHES   a regular expression standard error must match
#   STDERR_EMPTY     when true, standard error must be empty
#   CREATED          a file the run must have created (relative to WORKDIR)
#   CLEAN            a file to remove before the run (relative to WORKDIR)
string(REPLACE "|" ";" arguments "${ARGS}")
file(MAKE_DIRECTORY "${WORKDIR}")
if(CLEAN)
  file(REMOVE "${WORKDIR}/${CLEAN}")
endif()
execute_process(COMMAND "${TOOL}" ${arguments}
  WORKING_DIRECTORY "${WORKDIR}"
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)

set(failures "")
if(NOT status STREQUAL "${EXIT}")
  string(APPEND failures "exit status ${status}, expected ${EXIT}\n")
endif()
if(STDOUT_FILE)
  file(READ "${STDOUT_FILE}" expected)
  if(NOT output STREQUAL expected)
    string(APPEND failures "standard output differs from ${STDOUT_FILE}\n")
  endif()
endif()
if(DEFINED STDOUT_MATCHES AND NOT output MATCHES "${STDOUT_MATCHES}")
  string(APPEND failures "standard output does not match '${STDOUT_MATCHES}'\n")
endif()
if(DEFINED STDERR_MATCHES AND NOT errors MATCHES "${STDERR_MATCHES}")
  string(APPEND failures "standard error does not match '${STDERR_MATCHES}'\n")
endif()
if(STDERR_EMPTY AND NOT errors STREQUAL "")
  string(APPEND failures "standard error is not empty\n")
endif()
if(CREATED AND NOT EXISTS "${WORKDIR}/${CREATED}")
  string(APPEND failures "${CREATED} was not created\n")
endif()
if(failures)
  message(FATAL_ERROR "gridlume ${ARGS}\n${failures}"
    "--- standard output:\n${output}--- standard error:\n${errors}")
endif()
