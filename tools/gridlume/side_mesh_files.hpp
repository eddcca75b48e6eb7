// The side mesh formats as the tool reads and writes them: STL (text or
// binary), bulk data decks, ".points"/".faces" pairs, and VTK (written
// only). Each call answers like the keyword file ones: a mesh or NULL, a
// status.
#pragma once

#include <string>

#include "gridlume.h"
#include "mesh_files.hpp"

namespace gridlume_tool {

gridlume_mesh *read_stl_file(Session &session, const std::string &path,
                             const ReadOptions &options);
int write_stl_file(gridlume_mesh *mesh, const std::string &path, const WriteOptions &options);

gridlume_mesh *read_bdf_file(Session &session, const std::string &path,
                             const ReadOptions &options);
int write_bdf_file(gridlume_mesh *mesh, const std::string &path, const WriteOptions &options);

// The pair is named by either of its files.
gridlume_mesh *read_points_faces(Session &session, const std::string &path,
                                 const ReadOptions &options);
int write_points_faces(gridlume_mesh *mesh, const std::string &path,
                       const WriteOptions &options);

int write_vtk_file(gridlume_mesh *mesh, const std::string &path, const WriteOptions &options);

// "binary STL file" or "text STL file", from what the file holds; the
// format's own description for the others.
std::string describe_side_file(const MeshFormat &format, const std::string &path);

}  // namespace gridlume_tool
