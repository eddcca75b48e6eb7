// The messages the cad sends about input it refuses: codes and texts in one
// place. Each text names the operation, then the face or the declaration.
#pragma once

namespace gridlume {

inline constexpr const char *cad_sender = "CAD";

// The domain structure of a face cannot be built (formatted with the
// face's id).
inline constexpr int message_domain_missing_support_vertices = -5301;
inline constexpr const char *text_domain_missing_support_vertices =
    "gridlume_cad_face_check_uv : An edge of face %d has no support vertices.\n";
inline constexpr int message_domain_degenerate = -5302;
inline constexpr const char *text_domain_degenerate =
    "gridlume_cad_face_check_uv : Face %d has no boundary enclosing a domain.\n";
inline constexpr int message_domain_boundary_crossing = -5303;
inline constexpr const char *text_domain_boundary_crossing =
    "gridlume_cad_face_check_uv : The boundary of face %d crosses itself.\n";

// A multiple periodicity whose point pairs were refused (formatted with the
// operation's name).
inline constexpr int message_point_pairs_refused = -5201;
inline constexpr const char *text_point_pairs_refused =
    "%s : The point pairs do not describe a rigid motion; the declaration has no "
    "transformation.\n";

}  // namespace gridlume
