// The verbose report of the conversion on standard output: its texts, kept
// verbatim here, and the printers of its sections.
#pragma once

#include <cstdint>

#include "highorder/conversion.hpp"

namespace gridlume::highorder::report {

inline constexpr char debug_variable[] = "TarnwickZ1erEdDebug";
inline constexpr char banner[] = " Module Z1erEd,  v1.53,  january 03 2023,  VASKEN";
inline constexpr int rule_width = 72;

inline constexpr char converting[] = " Converting the P1 volume mesh made of:";
inline constexpr char count_line[] = " %8lld %s\n";
inline constexpr const char *entity_words[] = {"Vertices",       "Edges",      "Triangles",
                                               "Quadrilaterals", "Tetrahedra", "Pyramids",
                                               "Prisms",         "Hexahedra"};
inline constexpr char provided[] = " Provided by the API call";
inline constexpr char conforming[] = " Conforming to input 2nd-order surface mesh made of:";
inline constexpr char surface_vertices[] = " %8lld Vertices\n";
inline constexpr char surface_triangles[] = " %8lld P2 Triangles\n";
inline constexpr char surface_quadrangles[] = " %8lld Q2 Quadrilaterals\n";
inline constexpr char deriving[] = "Deriving high-order mid-nodes from the P1 input surface.";
inline constexpr char into_order[] = " Into an order %lld volume mesh\n";
inline constexpr char to_return[] = " To return to the API call";
inline constexpr char parameters[] = " Parameters:\n";
inline constexpr char threshold_line[] = " * jacobian threshold = %f \n";
inline constexpr char mode_c3d10m[] = " * jacobian quality mode = c3d10m \n";
inline constexpr char mode_standard[] = " * jacobian quality mode = standart \n";

inline constexpr char inconsistent[] = "Inconsistent volume and surface mesh numbering:";
inline constexpr char volume_triangle[] =
    " triangle %d from the P1 volume  mesh is made of %8d %8d %8d\n";
inline constexpr char surface_triangle[] =
    " triangle %d from the P2 surface mesh is made of %8d %8d %8d\n";
inline constexpr char collision_table[] = "The collision table ran out of buckets";
inline constexpr char no_threads[] = "Cannot initialize th VO3diz";
inline constexpr char static_scheduling[] = " --> use static scheduling with nbth = %d \n";

inline constexpr char initial_quality[] =
    " Initial Quality statistics before the mid-nodes smoothing";
inline constexpr char optimized_quality[] = " Optimized Quality statistics";
inline constexpr char table_title[] =
    "     Quality    |    Tet   |    Pyr   |    Pri   |    Hex   | Combined  ";
inline constexpr char table_line[] =
    "% .1f < Q <= %.1f | %8lld | %8lld | %8lld | %8lld |      %3lld%%  \n";

inline constexpr char smoothing_line[] = "       %3lld |%18lld |%18lld | %18lld\n";
inline constexpr char rejected_line[] = "Final quality check: %lld elements rejected\n";

inline constexpr char boundary_layer_threads[] = " Running boundary layer curving on %d threads\n";
inline constexpr char boundary_layer_relaxing[] =
    "\n BL mid-nodes moving: relaxing invalid elements coordinates\n";
inline constexpr char boundary_layer_step[] = " parallel step: %3d, relax: %1.2f, rejected: %8d\n";
inline constexpr char boundary_layer_final[] =
    "\n serial stack-based final step,   rejected: %8d\n\n";

inline constexpr char curvature_title[] = " Curvature evaluation";
inline constexpr char middle_count[] = " Number of surface middle vertices: %d\n";
inline constexpr char distance_line[] =
    " Distance from curved position    : mean = %-10g, max = %-10g\n";
inline constexpr char chordal_line[] =
    " Chordal deviation                : mean = %-10g, max = %-10g\n";
inline constexpr char deviation_count[] = " Nodes with deviation > %-6g    : %d\n";
inline constexpr char rejection_line[] =
    " Rejection constraints            : volume = %d, surface = %d\n";
inline constexpr char off_geometry[] = "the quadratic node %d is not exactly on the geometry\n";

void print_rule() noexcept;
void print_banner() noexcept;
// The input summary and the parameters (steps 1 and 2 of the sequence).
void print_input_summary(const ConversionState &state) noexcept;
// The quality table from the summed histogram rows.
void print_quality_table(const ConversionState &state) noexcept;

}  // namespace gridlume::highorder::report
