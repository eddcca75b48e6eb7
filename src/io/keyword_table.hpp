// The keyword table of mesh and solution files: one row per keyword code,
// 0 to 157. A row gives the keyword as written in files, its singular name,
// the count flag ("i" when a line count follows the keyword, empty for an
// information keyword made of one line) and the field string of one line.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace gridlume {

struct KeywordRow {
  const char *name;
  const char *singular;
  const char *count_flag;
  const char *fields;
};

inline constexpr int keyword_code_count = 158;     // codes 0 to 157
inline constexpr int first_keyword_code = 1;       // 0 is never a valid keyword
inline constexpr int last_keyword_code = 157;

// The codes the file core itself relies on.
inline constexpr int keyword_mesh_version = 1;
inline constexpr int keyword_dimension = 3;
inline constexpr int keyword_end = 54;

// What a keyword block holds, from its row.
enum class KeywordKind : std::int32_t {
  absent = 0,       // not met in the file
  information = 1,  // a single line and no line count
  regular = 2,      // a line count then that many lines
  solution = 3,     // a line count, a type list, then lines of reals
};

// Field letters of the field strings.
inline constexpr char field_integer = 'i';
inline constexpr char field_real = 'r';
inline constexpr char field_list = 'n';                // count then that many integers
inline constexpr char field_per_dimension = 'd';       // next letter, dimension times
inline constexpr char field_per_solution_real = 's';   // next letter, once per real
inline constexpr std::string_view solution_fields = "sr";

inline constexpr std::array<KeywordRow, keyword_code_count> keyword_table = {{
    {"Reserved", "", "", ""},  // 0
    {"MeshVersionFormatted", "", "", "i"},  // 1
    {"Reserved", "", "", ""},  // 2
    {"Dimension", "", "", "i"},  // 3
    {"Vertices", "Vertex", "i", "dri"},  // 4
    {"Edges", "Edge", "i", "iii"},  // 5
    {"Triangles", "Triangle", "i", "iiii"},  // 6
    {"Quadrilaterals", "Quadrilateral", "i", "iiiii"},  // 7
    {"Tetrahedra", "Tetrahedron", "i", "iiiii"},  // 8
    {"Prisms", "Prism", "i", "iiiiiii"},  // 9
    {"Hexahedra", "Hexahedron", "i", "iiiiiiiii"},  // 10
    {"IterationsAll", "IterationAll", "", "i"},  // 11
    {"TimesAll", "TimeAll", "", "r"},  // 12
    {"Corners", "Corner", "i", "i"},  // 13
    {"Ridges", "Ridge", "i", "i"},  // 14
    {"RequiredVertices", "RequiredVertex", "i", "i"},  // 15
    {"RequiredEdges", "RequiredEdge", "i", "i"},  // 16
    {"RequiredTriangles", "RequiredTriangle", "i", "i"},  // 17
    {"RequiredQuadrilaterals", "RequiredQuadrilateral", "i", "i"},  // 18
    {"TangentAtEdgeVertices", "TangentAtEdgeVertex", "i", "iii"},  // 19
    {"NormalAtVertices", "NormalAtVertex", "i", "ii"},  // 20
    {"NormalAtTriangleVertices", "NormalAtTriangleVertex", "i", "iii"},  // 21
    {"NormalAtQuadrilateralVertices", "NormalAtQuadrilateralVertex", "i", "iiii"},  // 22
    {"AngleOfCornerBound", "", "", "r"},  // 23
    {"TrianglesP2", "TriangleP2", "i", "iiiiiii"},  // 24
    {"EdgesP2", "EdgeP2", "i", "iiii"},  // 25
    {"SolAtPyramids", "SolAtPyramid", "i", "sr"},  // 26
    {"QuadrilateralsQ2", "QuadrilateralQ2", "i", "iiiiiiiiii"},  // 27
    {"ISolAtPyramids", "ISolAtPyramid", "i", "iiiii"},  // 28
    {"SubDomainFromGeom", "SubDomainFromGeom", "i", "iiii"},  // 29
    {"TetrahedraP2", "TetrahedronP2", "i", "iiiiiiiiiii"},  // 30
    {"Fault_NearTri", "Fault_NearTri", "i", "i"},  // 31
    {"Fault_Inter", "Fault_Inter", "i", "i"},  // 32
    {"HexahedraQ2", "HexahedronQ2", "i", "iiiiiiiiiiiiiiiiiiiiiiiiiiii"},  // 33
    {"ExtraVerticesAtEdges", "ExtraVerticesAtEdge", "i", "in"},  // 34
    {"ExtraVerticesAtTriangles", "ExtraVerticesAtTriangle", "i", "in"},  // 35
    {"ExtraVerticesAtQuadrilaterals", "ExtraVerticesAtQuadrilateral", "i", "in"},  // 36
    {"ExtraVerticesAtTetrahedra", "ExtraVerticesAtTetrahedron", "i", "in"},  // 37
    {"ExtraVerticesAtPrisms", "ExtraVerticesAtPrism", "i", "in"},  // 38
    {"ExtraVerticesAtHexahedra", "ExtraVerticesAtHexahedron", "i", "in"},  // 39
    {"VerticesOnGeometricVertices", "VertexOnGeometricVertex", "i", "iir"},  // 40
    {"VerticesOnGeometricEdges", "VertexOnGeometricEdge", "i", "iirr"},  // 41
    {"VerticesOnGeometricTriangles", "VertexOnGeometricTriangle", "i", "iirrr"},  // 42
    {"VerticesOnGeometricQuadrilaterals", "VertexOnGeometricQuadrilateral", "i", "iirrr"},  // 43
    {"EdgesOnGeometricEdges", "EdgeOnGeometricEdge", "i", "iir"},  // 44
    {"Fault_FreeEdge", "Fault_FreeEdge", "i", "i"},  // 45
    {"Polyhedra", "Polyhedron", "i", "iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii"},  // 46
    {"Polygons", "Polygon", "", "iiiiiiiii"},  // 47
    {"Fault_Overlap", "Fault_Overlap", "i", "i"},  // 48
    {"Pyramids", "Pyramid", "i", "iiiiii"},  // 49
    {"BoundingBox", "", "", "drdr"},  // 50
    {"Body", "", "i", "drdrdrdr"},  // 51
    {"PrivateTable", "PrivateTable", "i", "i"},  // 52
    {"Fault_BadShape", "Fault_BadShape", "i", "i"},  // 53
    {"End", "", "", ""},  // 54
    {"TrianglesOnGeometricTriangles", "TriangleOnGeometricTriangle", "i", "iir"},  // 55
    {"TrianglesOnGeometricQuadrilaterals", "TriangleOnGeometricQuadrilateral", "i", "iir"},  // 56
    {"QuadrilateralsOnGeometricTriangles", "QuadrilateralOnGeometricTriangle", "i", "iir"},  // 57
    {"QuadrilateralsOnGeometricQuadrilaterals", "QuadrilateralOnGeometricQuadrilateral", "i", "iir"},  // 58
    {"Tangents", "Tangent", "i", "dr"},  // 59
    {"Normals", "Normal", "i", "dr"},  // 60
    {"TangentAtVertices", "TangentAtVertex", "i", "ii"},  // 61
    {"SolAtVertices", "SolAtVertex", "i", "sr"},  // 62
    {"SolAtEdges", "SolAtEdge", "i", "sr"},  // 63
    {"SolAtTriangles", "SolAtTriangle", "i", "sr"},  // 64
    {"SolAtQuadrilaterals", "SolAtQuadrilateral", "i", "sr"},  // 65
    {"SolAtTetrahedra", "SolAtTetrahedron", "i", "sr"},  // 66
    {"SolAtPrisms", "SolAtPrism", "i", "sr"},  // 67
    {"SolAtHexahedra", "SolAtHexahedron", "i", "sr"},  // 68
    {"DSolAtVertices", "DSolAtVertex", "i", "sr"},  // 69
    {"ISolAtVertices", "ISolAtVertex", "i", "i"},  // 70
    {"ISolAtEdges", "ISolAtEdge", "i", "ii"},  // 71
    {"ISolAtTriangles", "ISolAtTriangle", "i", "iii"},  // 72
    {"ISolAtQuadrilaterals", "ISolAtQuadrilateral", "i", "iiii"},  // 73
    {"ISolAtTetrahedra", "ISolAtTetrahedron", "i", "iiii"},  // 74
    {"ISolAtPrisms", "ISolAtPrism", "i", "iiiiii"},  // 75
    {"ISolAtHexahedra", "ISolAtHexahedron", "i", "iiiiiiii"},  // 76
    {"Iterations", "", "", "i"},  // 77
    {"Time", "", "", "r"},  // 78
    {"Fault_SmallTri", "Fault_SmallTri", "i", "i"},  // 79
    {"CoarseHexahedra", "CoarseHexahedron", "i", "i"},  // 80
    {"Reserved", "", "", ""},  // 81
    {"Reserved", "", "", ""},  // 82
    {"Reserved", "", "", ""},  // 83
    {"Reserved", "", "", ""},  // 84
    {"Reserved", "", "", ""},  // 85
    {"PrismsP2", "PrismP2", "i", "iiiiiiiiiiiiiiiiiii"},  // 86
    {"PyramidsP2", "PyramidP2", "i", "iiiiiiiiiiiiiii"},  // 87
    {"Reserved", "", "", ""},  // 88
    {"Reserved", "", "", ""},  // 89
    {"Reserved", "", "", ""},  // 90
    {"Reserved", "", "", ""},  // 91
    {"Reserved", "", "", ""},  // 92
    {"Reserved", "", "", ""},  // 93
    {"Reserved", "", "", ""},  // 94
    {"Reserved", "", "", ""},  // 95
    {"Reserved", "", "", ""},  // 96
    {"Reserved", "", "", ""},  // 97
    {"Reserved", "", "", ""},  // 98
    {"Reserved", "", "", ""},  // 99
    {"Reserved", "", "", ""},  // 100
    {"Reserved", "", "", ""},  // 101
    {"Reserved", "", "", ""},  // 102
    {"Reserved", "", "", ""},  // 103
    {"Reserved", "", "", ""},  // 104
    {"Reserved", "", "", ""},  // 105
    {"Reserved", "", "", ""},  // 106
    {"Reserved", "", "", ""},  // 107
    {"Reserved", "", "", ""},  // 108
    {"Reserved", "", "", ""},  // 109
    {"Reserved", "", "", ""},  // 110
    {"Reserved", "", "", ""},  // 111
    {"Reserved", "", "", ""},  // 112
    {"Reserved", "", "", ""},  // 113
    {"Reserved", "", "", ""},  // 114
    {"Reserved", "", "", ""},  // 115
    {"Reserved", "", "", ""},  // 116
    {"Reserved", "", "", ""},  // 117
    {"Reserved", "", "", ""},  // 118
    {"Reserved", "", "", ""},  // 119
    {"Reserved", "", "", ""},  // 120
    {"Reserved", "", "", ""},  // 121
    {"Reserved", "", "", ""},  // 122
    {"Reserved", "", "", ""},  // 123
    {"Reserved", "", "", ""},  // 124
    {"Reserved", "", "", ""},  // 125
    {"Reserved", "", "", ""},  // 126
    {"Reserved", "", "", ""},  // 127
    {"Reserved", "", "", ""},  // 128
    {"Reserved", "", "", ""},  // 129
    {"Reserved", "", "", ""},  // 130
    {"Reserved", "", "", ""},  // 131
    {"Reserved", "", "", ""},  // 132
    {"Reserved", "", "", ""},  // 133
    {"Reserved", "", "", ""},  // 134
    {"Reserved", "", "", ""},  // 135
    {"Reserved", "", "", ""},  // 136
    {"Reserved", "", "", ""},  // 137
    {"Reserved", "", "", ""},  // 138
    {"Reserved", "", "", ""},  // 139
    {"Reserved", "", "", ""},  // 140
    {"Reserved", "", "", ""},  // 141
    {"Reserved", "", "", ""},  // 142
    {"Reserved", "", "", ""},  // 143
    {"Reserved", "", "", ""},  // 144
    {"Reserved", "", "", ""},  // 145
    {"Reserved", "", "", ""},  // 146
    {"Reserved", "", "", ""},  // 147
    {"Reserved", "", "", ""},  // 148
    {"Reserved", "", "", ""},  // 149
    {"Reserved", "", "", ""},  // 150
    {"Reserved", "", "", ""},  // 151
    {"Reserved", "", "", ""},  // 152
    {"Reserved", "", "", ""},  // 153
    {"Reserved", "", "", ""},  // 154
    {"Composite_Tags", "Composite_Tag", "i", "in"},  // 155
    {"Fault_MultipleEdge", "Fault_MultipleEdge", "i", "i"},  // 156
    {"ExtraVerticesAtPyramids", "ExtraVerticesAtPyramid", "i", "in"},  // 157
}};

static_assert(std::string_view(keyword_table[33].fields).size() == 28);  // HexahedraQ2
static_assert(std::string_view(keyword_table[46].fields).size() == 33);  // Polyhedra
static_assert(std::string_view(keyword_table[86].fields).size() == 19);  // PrismsP2
static_assert(std::string_view(keyword_table[87].fields).size() == 15);  // PyramidsP2

constexpr bool is_keyword_code(int code) noexcept {
  return code >= first_keyword_code && code <= last_keyword_code;
}

constexpr bool has_line_count(int code) noexcept {
  return keyword_table[static_cast<std::size_t>(code)].count_flag[0] == field_integer;
}

// An empty count flag makes an information keyword; the field string "sr" a
// solution keyword; everything else is regular.
constexpr KeywordKind keyword_kind(int code) noexcept {
  const KeywordRow &row = keyword_table[static_cast<std::size_t>(code)];
  if (row.count_flag[0] == '\0') return KeywordKind::information;
  if (std::string_view(row.fields) == solution_fields) return KeywordKind::solution;
  return KeywordKind::regular;
}

// The code of a keyword name (codes 1 to 157, the lowest match wins), or 0.
constexpr int find_keyword(std::string_view name) noexcept {
  for (int code = first_keyword_code; code <= last_keyword_code; ++code)
    if (name == keyword_table[static_cast<std::size_t>(code)].name) return code;
  return 0;
}

}  // namespace gridlume
