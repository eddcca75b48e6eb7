# Branch, commit, date and platform of this build, for the version ident lines.
set(GRIDLUME_BUILD_BRANCH "unknown")
set(GRIDLUME_BUILD_COMMIT "0000000000000000000000000000000000000000")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --abbrev-ref HEAD
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    OUTPUT_VARIABLE branch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE branch_result)
  if(branch_result EQUAL 0 AND branch)
    set(GRIDLUME_BUILD_BRANCH "${branch}")
  endif()
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse HEAD
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE commit_result)
  if(commit_result EQUAL 0 AND commit MATCHES "^[0-9a-f]+$")
    set(GRIDLUME_BUILD_COMMIT "${commit}")
  endif()
endif()
string(TIMESTAMP GRIDLUME_BUILD_DATE "%b %d %Y" UTC)
string(TIMESTAMP GRIDLUME_BUILD_TIME "%H:%M:%S" UTC)
set(GRIDLUME_BUILD_PLATFORM "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
set(GRIDLUME_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/src/core/build_info.h.in
  ${GRIDLUME_GENERATED_DIR}/build_info.h @ONLY)
