// gridlume check FILE [--key PREFIX]: topological statistics, and the
// coherency of the subdomains with the tetrahedra when the mesh has any.
#include <array>
#include <cstdio>
#include <string>

#include "command.hpp"
#include "mesh_files.hpp"
#include "session.hpp"

namespace gridlume_tool {

namespace {

constexpr std::array<OptionSpec, 1> check_options = {{{"key", true}}};

int topological_statistics(gridlume_mesh *mesh, const std::string *prefix) {
  return prefix != nullptr
             ? gridlume_mesh_compute_topological_statistics_valid(mesh, prefix->c_str())
             : gridlume_mesh_compute_topological_statistics(mesh);
}

int run_check(const Command &command, const Arguments &arguments) {
  const std::string &path = arguments.positionals[0];
  if (auto error = unknown_mesh_format(path)) return usage_error(command, *error);
  const std::string *prefix = arguments.value("key");

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  gridlume_mesh *mesh = read_mesh(session, path, nullptr);
  if (mesh == nullptr) return session.fail_unless_reported("cannot read '" + path + "'");
  if (topological_statistics(mesh, prefix) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("the topological statistics of '" + path + "' failed");

  int subdomain_count = 0;
  // A mesh whose producer describes no subdomain answers -1: none.
  if (gridlume_mesh_get_subdomain_count(mesh, &subdomain_count) != GRIDLUME_STATUS_OK)
    subdomain_count = 0;
  if (subdomain_count <= 0) {
    if (prefix == nullptr) std::printf("Subdomains : none, coherency not checked\n");
    return exit_success;
  }
  int coherent = 0;
  if (gridlume_mesh_check_subdomains_coherency(mesh, &coherent) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("the subdomain coherency check of '" + path + "' failed");
  if (prefix != nullptr)
    std::printf("VALID.%s.subdomain.coherent = %d\n", prefix->c_str(), coherent);
  else
    std::printf("Subdomains : %d, %s\n", subdomain_count,
                coherent ? "coherent with the tetrahedra" : "NOT coherent with the tetrahedra");
  if (!coherent)
    return session.fail("the subdomains of '" + path + "' are not coherent with the tetrahedra");
  return exit_success;
}

}  // namespace

const Command check_command = {
    "check",
    "FILE [--key PREFIX]",
    "Check the topology of a mesh and the coherency of its subdomains.",
    "Reports free and non-manifold edges with their components, the surface\n"
    "components and the edges outside surface and volume elements. When the mesh\n"
    "describes subdomains, checks that each, grown from its seed triangle through\n"
    "the tetrahedra, reaches only tetrahedra of its tag and that together they\n"
    "cover every tetrahedron once. Exit status 1 when they do not.\n\n"
    "Options:\n"
    "  --key PREFIX  key style: lines 'VALID.PREFIX.<entity>.<field> = value'\n"
    "  -h, --help    this help\n",
    check_options,
    1,
    1,
    run_check,
};

}  // namespace gridlume_tool
