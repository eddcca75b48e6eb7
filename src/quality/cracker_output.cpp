// The cracker's arrays written out as a mesh, through the setters of the
// mesh object: counts, vertices, the volume blocks in order, then the edges,
// triangles and quadrangles without their deleted entries.
#include "mesh/slot_calls.hpp"
#include "quality/mesh_cracker.hpp"

namespace gridlume::cracker {

namespace {

struct SurfaceSlots {
  const SurfaceList gridlume_mesh_cracker::*list;
  Slot count_slot, vertices_slot, tag_slot;
};
constexpr std::array<SurfaceSlots, 3> surface_slots = {{
    {&gridlume_mesh_cracker::edges, slot_edge_count, slot_edge_vertices, slot_edge_tag},
    {&gridlume_mesh_cracker::triangles, slot_triangle_count, slot_triangle_vertices,
     slot_triangle_tag},
    {&gridlume_mesh_cracker::quadrangles, slot_quadrangle_count, slot_quadrangle_vertices,
     slot_quadrangle_tag},
}};

int set_integers(gridlume_mesh *mesh, Slot slot, int i, const std::int32_t *values) {
  return call_setter<gridlume_mesh_integers_setter>(mesh, slot, i, values);
}

class OutputWriter {
 public:
  OutputWriter(const gridlume_mesh_cracker &cracker, gridlume_mesh *mesh)
      : cracker_(cracker), mesh_(mesh) {}

  int run() {
    int status = set_count(mesh_, slot_vertex_count, cracker_.vertex_count);
    for (const SurfaceSlots &slots : surface_slots)
      if (status == ok) status = set_count(mesh_, slots.count_slot, (cracker_.*slots.list).count);
    if (status == ok) status = write_vertices();
    for (std::int32_t b = 1; b <= cracker_.block_count && status == ok; ++b)
      status = write_block(cracker_.block(b));
    for (const SurfaceSlots &slots : surface_slots)
      if (status == ok) status = write_surface(slots);
    return status;
  }

 private:
  int write_vertices() {
    const auto coordinates = mesh_->setter<gridlume_mesh_point_setter>(slot_vertex_coordinates);
    void *coordinates_data = mesh_->slots[slot_vertex_coordinates].setter_data;
    if (coordinates == nullptr) return error;
    for (std::int32_t v = 1; v <= cracker_.vertex_count; ++v) {
      int status = coordinates(v, &cracker_.coordinates[3 * static_cast<std::size_t>(v - 1)],
                               coordinates_data);
      if (status == ok)
        status = set_integers(mesh_, slot_vertex_tag, v, &cracker_.vertex_tags[v - 1]);
      if (status != ok) return status;
    }
    return ok;
  }

  int write_block(const VolumeBlock &block) {
    int status = set_count(mesh_, block.kind->count_slot, block.count);
    if (status != ok) return status;
    // The setters are fetched once: a volume mesh has millions of elements.
    const auto vertices = mesh_->setter<gridlume_mesh_integers_setter>(block.kind->vertices_slot);
    void *vertices_data = mesh_->slots[block.kind->vertices_slot].setter_data;
    const auto tags = mesh_->setter<gridlume_mesh_integers_setter>(block.kind->tag_slot);
    void *tags_data = mesh_->slots[block.kind->tag_slot].setter_data;
    if (vertices == nullptr || tags == nullptr) return error;
    for (std::int32_t e = 1; e <= block.count; ++e) {
      status = vertices(e, block.element(e), vertices_data);
      if (status == ok) status = tags(e, &block.tags[e - 1], tags_data);
      if (status != ok) return status;
    }
    return ok;
  }

  // Deleted entries are left out and the others renumbered in order; the
  // count is then set again to the number written.
  int write_surface(const SurfaceSlots &slots) {
    const SurfaceList &list = cracker_.*slots.list;
    std::int32_t written = 0;
    for (std::int32_t i = 1; i <= list.count; ++i) {
      if (list.deleted(i)) continue;
      ++written;
      int status = set_integers(mesh_, slots.vertices_slot, written, list.entity(i));
      if (status == ok) status = set_integers(mesh_, slots.tag_slot, written, &list.tags[i - 1]);
      if (status != ok) return status;
    }
    return set_count(mesh_, slots.count_slot, written);
  }

  const gridlume_mesh_cracker &cracker_;
  gridlume_mesh *mesh_;
};

}  // namespace

int write_output_mesh(const gridlume_mesh_cracker &cracker, gridlume_mesh *mesh) {
  return OutputWriter(cracker, mesh).run();
}

}  // namespace gridlume::cracker
