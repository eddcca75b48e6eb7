# End-to-end cases of the side mesh formats: STL (text and binary), bulk
# data decks, points/faces pairs and VTK, converted from the cube sample and
# described again. Included from CMakeLists.txt, whose tool_case it uses.

set(cube ${data}/cube_subdomain.mesh)
set(side_format_list "'.meshb', '.mesh', '.stl', '.bdf', '.points', '.faces', '.vtk'")

# The cube's twelve boundary triangles, one solid per face tag.
tool_case(convert.to_text_stl ARGS convert ${cube} cube.stl EXIT 0 STDERR_EMPTY
  CREATED cube.stl MAKES cube_text_stl)
tool_case(info.text_stl ARGS info cube.stl EXIT 0 STDERR_EMPTY NEEDS cube_text_stl
  STDOUT_MATCHES "format         text STL file\ndimension      3\nbounding box   \\[0, 1\\] x \\[0, 1\\] x \\[0, 1\\]\n.*vertices +8  0\n.*triangles +12  1-6\n")
tool_case(convert.to_binary_stl ARGS convert cube.stl cube_binary.stl --binary EXIT 0
  STDERR_EMPTY CREATED cube_binary.stl NEEDS cube_text_stl MAKES cube_binary_stl)
tool_case(info.binary_stl ARGS info cube_binary.stl EXIT 0 STDERR_EMPTY NEEDS cube_binary_stl
  STDOUT_MATCHES "format         binary STL file\n.*vertices +8  0\n.*triangles +12  1\n")
# Without merging, every facet corner is a vertex of its own.
tool_case(convert.stl_without_merging ARGS convert cube_binary.stl apart.mesh --tolerance 0
  EXIT 0 STDERR_EMPTY CREATED apart.mesh NEEDS cube_binary_stl MAKES cube_apart)
tool_case(info.stl_without_merging ARGS info apart.mesh EXIT 0 NEEDS cube_apart
  STDOUT_MATCHES "vertices +36  0\n")
# Tags become solid numbers, so text written from a text file read back is
# the same text.
tool_case(convert.text_stl_again ARGS convert cube.stl cube_again.stl EXIT 0 STDERR_EMPTY
  CREATED cube_again.stl NEEDS cube_text_stl MAKES cube_text_again)
tool_case(convert.text_stl_once_more ARGS convert cube_again.stl cube_once_more.stl EXIT 0
  STDERR_EMPTY CREATED cube_once_more.stl NEEDS cube_text_again MAKES cube_text_once_more)
add_test(NAME tool.convert.text_stl_round_trip_keeps_the_file
  COMMAND ${CMAKE_COMMAND} -E compare_files ${work}/cube_again.stl ${work}/cube_once_more.stl)
set_property(TEST tool.convert.text_stl_round_trip_keeps_the_file
  PROPERTY FIXTURES_REQUIRED cube_text_again cube_text_once_more)

# A deck of the cube: its vertices and elements come back; the triangles'
# tags do not, their running identifiers naming other triangles.
tool_case(convert.to_bdf ARGS convert ${cube} cube.bdf EXIT 0 STDERR_EMPTY CREATED cube.bdf
  MAKES cube_bdf)
tool_case(info.bdf ARGS info cube.bdf EXIT 0 STDERR_EMPTY NEEDS cube_bdf
  STDOUT_MATCHES "format         bulk data deck\n.*vertices +8  0\n.*triangles +12  1-6\n.*tetrahedra +6  0\n")

# A points/faces pair, named by either file.
tool_case(convert.to_points_faces ARGS convert ${cube} cube.points EXIT 0 STDERR_EMPTY
  CREATED cube.faces MAKES cube_pair)
tool_case(info.points_faces ARGS info cube.faces EXIT 0 STDERR_EMPTY NEEDS cube_pair
  STDOUT_MATCHES "format         points and faces files\n.*vertices +8  1 2\n.*triangles +12  1-6\n.*tetrahedra +0\n")

tool_case(convert.to_vtk ARGS convert ${cube} cube.vtk EXIT 0 STDERR_EMPTY CREATED cube.vtk)

# Wrong usage and failures.
tool_case(usage.side_formats_listed ARGS info mesh.txt EXIT 2
  STDERR_MATCHES "unknown mesh format of 'mesh.txt' \\(known: ${side_format_list}\\)")
tool_case(usage.vtk_is_not_read ARGS info cube.vtk EXIT 2
  STDERR_MATCHES "'cube.vtk': legacy VTK files are written, not read")
tool_case(usage.convert_tolerance ARGS convert cube.stl out.mesh --tolerance small EXIT 2
  STDERR_MATCHES "--tolerance takes one number")
foreach(extension stl bdf)
  tool_case(missing_file.${extension} ARGS info missing.${extension} EXIT 1
    STDERR_MATCHES "^gridlume info: cannot read 'missing.${extension}'\n$")
endforeach()
tool_case(missing_file.points ARGS info missing.points EXIT 1
  STDERR_MATCHES "^gridlume_mesh_new_read_msh2 : Error opening .points file for reading.\n$")
tool_case(convert.unwritable_vtk ARGS convert ${cube} no_such_folder/out.vtk EXIT 1
  STDERR_MATCHES "^gridlume convert: cannot write 'no_such_folder/out.vtk'\n$")
