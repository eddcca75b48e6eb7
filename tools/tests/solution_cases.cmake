# End-to-end cases of the tool on size map files (".sol", ".solb", ".bb"),
# included by CMakeLists.txt, whose tool_case() and variables they use.

# ---- Wrong usage (exit 2) -------------------------------------------------------
tool_case(usage.convert_mesh_to_sizemap ARGS convert grid.mesh sizes.sol EXIT 2
  STDERR_MATCHES "converts only to another size map file")
tool_case(usage.convert_sizemap_form ARGS convert sizes.sol sizes.solb --p2 EXIT 2
  STDERR_MATCHES "apply to meshes only ${usage_hint}")
tool_case(usage.convert_bb_version ARGS convert sizes.sol sizes.bb --version 3 EXIT 2
  STDERR_MATCHES "--version applies to '.sol' and '.solb' files only")
tool_case(usage.convert_sizemap_version ARGS convert sizes.sol sizes.solb --version 0 EXIT 2
  STDERR_MATCHES "--version takes 1, 2 or 3")

# ---- Failures (exit 1) ---------------------------------------------------------
tool_case(missing_file.info_sizemap ARGS info missing.solb EXIT 1
  STDERR_MATCHES "^gridlume info: cannot read 'missing.solb'\n$")
tool_case(sizemap.truncated ARGS info ${data}/truncated.sol EXIT 1
  STDERR_MATCHES "^sizemap:read_sol : Error closing solution file.\n$")
tool_case(sizemap.vector_not_converted ARGS convert ${data}/velocity.sol velocity.solb EXIT 1
  STDERR_MATCHES "^sizemap:read_sol : Unsupported sizemap type.\n$")

# ---- Success (exit 0), end to end ---------------------------------------------
# Sizes copied, described, and carried through every format and version back
# to the same text.
tool_case(sizemap.copy ARGS convert ${data}/sizes.sol sizes.sol EXIT 0 STDERR_EMPTY
  CREATED sizes.sol MAKES sizes_text)
tool_case(info.sizes ARGS info sizes.sol EXIT 0 STDOUT_FILE ${expected}/info_sizes_sol.txt
  STDERR_EMPTY NEEDS sizes_text)
tool_case(sizemap.to_binary ARGS convert sizes.sol sizes.solb --version 3 EXIT 0 STDERR_EMPTY
  CREATED sizes.solb NEEDS sizes_text MAKES sizes_binary)
tool_case(info.sizes_binary ARGS info sizes.solb EXIT 0 STDERR_EMPTY NEEDS sizes_binary
  STDOUT_MATCHES "binary solution file, version 3\ndimension      3\nvertices       4\nfields         scalar\n")
tool_case(sizemap.to_bb ARGS convert sizes.solb sizes.bb EXIT 0 STDERR_EMPTY CREATED sizes.bb
  NEEDS sizes_binary MAKES sizes_bb)
tool_case(info.sizes_bb ARGS info sizes.bb EXIT 0 STDERR_EMPTY NEEDS sizes_bb
  STDOUT_MATCHES "bb size file\ndimension      3\nvertices       4\nfields         scalar \\(1 value per vertex\\)\nsizes          \\[0.25, 2\\]\n")
tool_case(sizemap.bb_to_text ARGS convert sizes.bb sizes_back.sol EXIT 0 STDERR_EMPTY
  CREATED sizes_back.sol NEEDS sizes_bb MAKES sizes_round_trip)
add_test(NAME tool.sizemap.round_trip_keeps_the_file
  COMMAND ${CMAKE_COMMAND} -E compare_files ${data}/sizes.sol ${work}/sizes_back.sol)
set_property(TEST tool.sizemap.round_trip_keeps_the_file PROPERTY FIXTURES_REQUIRED sizes_round_trip)

# Metrics through a version 1 binary file (their values are exact in floats).
tool_case(sizemap.metric_to_floats ARGS convert ${data}/metric.sol metric.solb --version 1 EXIT 0
  STDERR_EMPTY CREATED metric.solb MAKES metric_binary)
tool_case(info.metric_binary ARGS info metric.solb EXIT 0 STDERR_EMPTY NEEDS metric_binary
  STDOUT_MATCHES "version 1\n.*fields         symmetric tensor\nfirst terms    \\[4, 100\\]\n")
tool_case(sizemap.metric_back ARGS convert metric.solb metric_back.sol EXIT 0 STDERR_EMPTY
  CREATED metric_back.sol NEEDS metric_binary MAKES metric_round_trip)
add_test(NAME tool.sizemap.metric_round_trip_keeps_the_file
  COMMAND ${CMAKE_COMMAND} -E compare_files ${data}/metric.sol ${work}/metric_back.sol)
set_property(TEST tool.sizemap.metric_round_trip_keeps_the_file
  PROPERTY FIXTURES_REQUIRED metric_round_trip)

# A file of other fields is described without being read.
tool_case(info.velocity ARGS info ${data}/velocity.sol EXIT 0 STDERR_EMPTY
  STDOUT_MATCHES "dimension      2\nvertices       2\nfields         vector, scalar\n$")

# A big-endian version 3 file, as another machine writes it.
tool_case(info.big_endian ARGS info ${data}/big_endian_metric.solb EXIT 0 STDERR_EMPTY
  STDOUT_MATCHES "binary solution file, version 3\ndimension      3\nvertices       2\nfields         symmetric tensor\nfirst terms    \\[0, 6\\]\n$")
tool_case(sizemap.big_endian_to_text ARGS convert ${data}/big_endian_metric.solb big_endian.sol
  EXIT 0 STDERR_EMPTY CREATED big_endian.sol)
