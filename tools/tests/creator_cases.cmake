# End-to-end cases of "gridlume sizemap": a size map creator described in a
# text file, evaluated at the vertices of a mesh. Included by CMakeLists.txt,
# whose tool_case() and variables they use; the mesh, data/creator_cube.mesh,
# is a 3 x 3 x 3 grid of the unit cube kept with the cases so that the
# expected values follow its vertex order whatever the grid command does.

tool_case(help.sizemap ARGS sizemap --help EXIT 0 STDERR_EMPTY
  STDOUT_MATCHES "^Usage: gridlume sizemap DESCRIPTION MESH OUT\n.*sphere at X Y Z radius R size S\n")
tool_case(usage.sizemap_output ARGS sizemap sizes.txt ${data}/creator_cube.mesh sizes.bb EXIT 2
  STDERR_MATCHES "^gridlume sizemap: the output must be a '.sol' or '.solb' file ${usage_hint}")
tool_case(usage.sizemap_arguments ARGS sizemap sizes.txt ${data}/creator_cube.mesh EXIT 2
  STDERR_MATCHES "^gridlume sizemap: missing arguments ${usage_hint}")

tool_case(creator.missing_description
  ARGS sizemap missing.txt ${data}/creator_cube.mesh out.sol EXIT 1
  STDERR_MATCHES "^gridlume sizemap: cannot read 'missing.txt'\n$")
tool_case(creator.unknown_keyword
  ARGS sizemap ${data}/creator_unknown_keyword.txt ${data}/creator_cube.mesh out.sol EXIT 1
  STDERR_MATCHES "^gridlume sizemap: .*creator_unknown_keyword.txt:2: unknown keyword 'sphear'\n$")
tool_case(creator.not_a_number
  ARGS sizemap ${data}/creator_not_a_number.txt ${data}/creator_cube.mesh out.sol EXIT 1
  STDERR_MATCHES "creator_not_a_number.txt:1: expected a number, found 'zero'\n$")
tool_case(creator.negative_size
  ARGS sizemap ${data}/creator_negative_size.txt ${data}/creator_cube.mesh out.sol EXIT 1
  STDERR_MATCHES "^sizemap_creator:add_constraint_on_sphere : Error : size must be positive or zero.\ngridlume sizemap: .*creator_negative_size.txt:3: sphere refused\n$")

# Sizes graded away from a sphere and a point; metrics inside a cylinder and
# a hexahedron without gradation.
tool_case(creator.sizes
  ARGS sizemap ${data}/creator_sizes.txt ${data}/creator_cube.mesh creator_sizes.sol EXIT 0
  STDERR_EMPTY CREATED creator_sizes.sol MAKES creator_sizes)
add_test(NAME tool.creator.sizes_are_the_expected_ones
  COMMAND ${CMAKE_COMMAND} -E compare_files ${work}/creator_sizes.sol ${expected}/creator_sizes.sol)
set_property(TEST tool.creator.sizes_are_the_expected_ones PROPERTY FIXTURES_REQUIRED creator_sizes)
tool_case(creator.metrics
  ARGS sizemap ${data}/creator_metric.txt ${data}/creator_cube.mesh creator_metric.solb EXIT 0
  STDERR_EMPTY CREATED creator_metric.solb MAKES creator_metric)
# The binary file read back and written as text by the tool itself.
tool_case(creator.metrics_as_text ARGS convert creator_metric.solb creator_metric.sol EXIT 0
  STDERR_EMPTY CREATED creator_metric.sol NEEDS creator_metric MAKES creator_metric_text)
add_test(NAME tool.creator.metrics_are_the_expected_ones
  COMMAND ${CMAKE_COMMAND} -E compare_files ${work}/creator_metric.sol ${expected}/creator_metric.sol)
set_property(TEST tool.creator.metrics_are_the_expected_ones
  PROPERTY FIXTURES_REQUIRED creator_metric_text)
