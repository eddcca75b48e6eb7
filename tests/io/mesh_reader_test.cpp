// Reading mesh files (the round trips of every format are in the writer's
// test): the high-order forms and selections, every refusal with its
// message, progress messages, and memory failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keyword_test_files.hpp"
#include "support/allocation_failure.hpp"

using namespace keyword_test;

namespace {

using MeshReader = ContextTest;

const std::string prologue = "MeshVersionFormatted 2\nDimension 3\n";
const std::string six_vertices = prologue +
                                 "Vertices 6\n0 0 0 0\n1 0 0 0\n2 0 0 0\n3 0 0 0\n"
                                 "4 0 0 0\n5 0 0 0\n";
std::string edges_and_p2_edges() {
  std::string text = six_vertices + "Edges 10\n";
  for (int i = 0; i < 10; ++i) text += "1 2 0\n";
  text += "EdgesP2 5\n";
  for (int i = 0; i < 5; ++i) text += "3 4 " + std::to_string(5 + i % 2) + " 8\n";
  return text + "RequiredEdges 2 10 12\nEnd\n";
}
const std::string reading = "gridlume_mesh_new_read_mesh : ";
const std::string refused = "-1000 " + reading + "Error opening mesh file for reading.\n";

// A file read with a high-order selection: the form read (0 when no mesh is
// given), the messages, and pieces of the mesh written again as text.
struct ReadCase {
  const char *name;
  int selection, form;
  std::string messages, text;  // no file at all when the text is empty
  std::vector<std::string> pieces;
};

TEST_F(MeshReader, files_give_their_mesh_form_and_messages) {
  const std::string both_forms = six_vertices +
                                 "Triangles 1 1 2 3 5\nTrianglesP2 1 1 2 3 4 5 6 9\n"
                                 "ExtraVerticesAtTriangles 1 1 6 4 5 6 1 2 3\nEnd\n";
  // clang-format off
  const ReadCase cases[] = {
      // Selection 3 prefers extra vertices when both forms are present; a
      // list of 6 vertices still stores the code of a second-order triangle.
      {"both.mesh", 3, 5, "", both_forms,
       {"\nTriangles\n1\n1 2 3 5 \n", "\nExtraVerticesAtTriangles\n1\n1 3 4 5 6 \n"}},
      // Selection 4 takes the P2 lines whenever there are some: triangles in
      // the P2 form, the other kinds not.
      {"both4.mesh", 4, 7, "", both_forms, {"\nTriangles\n2\n1 2 3 5 \n1 2 3 9 \n"}},
      // Selection 2 appends P2 elements after the linear ones; a listed P2
      // edge is passed over.
      {"p2.mesh", 2, 6, "", edges_and_p2_edges(),
       {"\nEdges\n15\n", "3 4 8 \n\n", "\nExtraVerticesAtEdges\n5\n11 1 5 \n12 1 6 \n",
        "\nRequiredEdges\n1\n10 \n"}},
      // Hexahedra take no extra vertices.
      {"hexahedra.mesh", 3, 5, "",
       six_vertices + "Hexahedra 1 1 2 3 4 5 6 1 2 3\nExtraVerticesAtHexahedra 1 1 2 5 6\nEnd\n",
       {"\nHexahedra\n1\n1 2 3 4 5 6 1 2 3 \n\nEnd"}},
      // Quadrangle normals use three of the four fields (the fourth is
      // written 0); any other selection is 3.
      {"quadrangle_normals.mesh", 0, 5, "",
       six_vertices + "Quadrilaterals 1 1 2 3 4 0\nNormals 1 0 1 0\n"
                      "NormalAtQuadrilateralVertices 2 1 4 1 0 1 9 1 0\nEnd\n",
       {"\nNormals\n1\n0 1 0 \n", "\nNormalAtQuadrilateralVertices\n1\n1 4 1 0 \n"}},
      {"no_end.mesh", 3, 5, "2101 " + reading + "Warning: missing END keyword in mesh file.\n",
       prologue + "Vertices 1 0 0 0 7\n", {"\nVertices\n1\n0 0 0 7 \n"}},
      // Garbage inside the lines: the mesh is read and the close reports it.
      {"tokens.mesh", 3, 5, "-2001 " + reading + "Unknown error while reading the mesh.\n",
       prologue + "Vertices 1 0 x 0 1\nEnd\n", {}},
      // A NaN coordinate refuses the mesh after storing all vertices.
      {"nan.mesh", 3, 0, "-2010 " + reading + " NAN found in mesh vertex coordinates.\n",
       prologue + "Vertices 2 0 nan 0 1 1 1 1 2\nEnd\n", {}},
      {"missing.mesh", 3, 0, refused, "", {}},
      {"version4.mesh", 3, 0, refused, "MeshVersionFormatted 4\nDimension 3\nEnd\n", {}},
      {"huge.mesh", 3, 0, refused, prologue + "Tetrahedra 2000000000 1 2 3 4 5\nEnd\n", {}},
      {"garbage.mesh", 3, 0, refused, prologue + "Vertices two\nEnd\n", {}},
  };
  // clang-format on
  for (const ReadCase &test : cases) {
    SCOPED_TRACE(test.name);
    std::string path =
        test.text.empty() ? temporary_path(test.name) : write_file(test.name, test.text);
    int form = 0;
    gridlume_mesh *mesh = gridlume_mesh_new_read_mesh_extended(context, path.c_str(), 2, 10,
                                                               test.selection, 11, &form);
    EXPECT_EQ(sent(), test.messages);
    EXPECT_EQ(form, test.form);
    if (mesh == nullptr) continue;
    std::string text = read_file(write_mesh(mesh, "rewritten.mesh"));
    for (const std::string &piece : test.pieces)
      EXPECT_NE(text.find(piece), std::string::npos) << piece << text;
  }
  EXPECT_EQ(gridlume_mesh_new_read_mesh(nullptr, "x.mesh"), nullptr);
}

TEST_F(MeshReader, progress_messages_follow_the_keywords_with_code_9011) {
  std::string text = prologue + "Vertices 250\n";
  for (int i = 0; i < 250; ++i) text += "0 0 0 0\n";
  std::string path = write_file("progress.mesh", text + "End\n");
  ASSERT_NE(gridlume_mesh_new_read_mesh_extended(context, path.c_str(), 1, 22, -2), nullptr);
  // Negative flags report every milestone; the hundredth lines, sent with
  // flags 0, are not due within the first 100 % and 10 s.
  // The time spent varies: codes, labels and percentages are compared.
  std::string reports;
  for (const auto &message : capture.messages())
    reports += std::to_string(message.code) + " " +
               message.description.substr(0, message.description.find("% (")) + "\n";
  EXPECT_EQ(
      reports,
      "9011 reading mesh progression (++) : 0.00\n9011 reading mesh progression (.+) : 1.00\n"
      "9011 reading mesh progression (.+) : 2.00\n9011 reading mesh progression (Ve) : 100.00\n"
      "9011 reading mesh progression (--) : 100.00\n");
  EXPECT_EQ(capture.messages()[3].reals[0], 100.0);
}

TEST_F(MeshReader, required_element_lists_outside_the_progress_total_never_pass_100_percent) {
  std::string text = prologue + "Vertices 4\n0 0 0 0\n1 0 0 0\n0 1 0 0\n1 1 0 0\n";
  text += "Edges 2\n1 2 0\n2 3 0\nRequiredEdges 2\n1\n2\n";
  text += "Triangles 2\n1 2 3 0\n2 4 3 0\nRequiredTriangles 2\n1\n2\n";
  text += "Quadrilaterals 1\n1 2 4 3 0\nRequiredQuadrilaterals 1\n1\n";
  std::string path = write_file("required.mesh", text + "End\n");
  ASSERT_NE(gridlume_mesh_new_read_mesh_extended(context, path.c_str(), 1, 22, -2), nullptr);
  double previous = 0.0;
  for (const auto &message : capture.messages()) {
    ASSERT_EQ(message.code, 9011) << message.description;
    EXPECT_LE(message.reals[0], 100.0) << message.description;
    EXPECT_GE(message.reals[0], previous) << message.description;
    previous = message.reals[0];
  }
  // The required lists come after all counted lines but the last ones of
  // the quadrangles: 100 % is reached once, at the end.
  ASSERT_GE(capture.messages().size(), 2u);
  EXPECT_EQ(capture.messages()[capture.messages().size() - 2].reals[0], 100.0);
}

TEST_F(MeshReader, every_allocation_failure_gives_null_and_leaks_nothing) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  std::string path = write_mesh(add_every_section(mesh), "memory.meshb");
  gridlume_mesh_delete(mesh);
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    gridlume_context *local = gridlume_context_new();
    gridlume_test::MessageCapture messages;
    messages.install(local);
    failure.arm();
    gridlume_mesh *read = gridlume_mesh_new_read_mesh(local, path.c_str());
    failure.disarm();
    EXPECT_TRUE(!failure.happened() || read == nullptr);
    gridlume_context_delete(local);
  });
}

}  // namespace
