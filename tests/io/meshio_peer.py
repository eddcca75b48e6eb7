"""The meshio side of the interoperability test (Medit ".mesh" and ".meshb").

  meshio_peer.py dump FILE
      prints the mesh as meshio reads it: "points N", then one line per point
      (x y z reference, reals with 17 significant digits), then for each cell
      block in order of type name "TYPE N" and one line per cell (1-based
      vertices, then the reference).
  meshio_peer.py copy FROM TO [int64]
      reads FROM and writes TO with meshio, the vertex indices as 32-bit
      integers, or 64-bit ones with int64.
"""
import sys

import meshio
import numpy

REFERENCE = "medit:ref"


def dump(path):
    mesh = meshio.read(path)
    point_references = mesh.point_data.get(REFERENCE, numpy.zeros(len(mesh.points), dtype=int))
    print("points", len(mesh.points))
    for point, reference in zip(mesh.points, point_references):
        coordinates = list(point) + [0.0] * (3 - len(point))
        print(" ".join("%.17g" % value for value in coordinates), int(reference))
    blocks = []
    for index, block in enumerate(mesh.cells):
        references = mesh.cell_data[REFERENCE][index]
        blocks.append((block.type, block.data, references))
    for cell_type, data, references in sorted(blocks, key=lambda block: block[0]):
        print(cell_type, len(data))
        for cell, reference in zip(data, references):
            print(" ".join(str(int(vertex) + 1) for vertex in cell), int(reference))


def copy(source, target, integer_type):
    mesh = meshio.read(source)
    cells = [(block.type, block.data.astype(integer_type)) for block in mesh.cells]
    point_data = {REFERENCE: mesh.point_data[REFERENCE].astype(integer_type)}
    cell_data = {REFERENCE: [data.astype(integer_type) for data in mesh.cell_data[REFERENCE]]}
    meshio.write(target, meshio.Mesh(mesh.points, cells, point_data=point_data,
                                     cell_data=cell_data))


if __name__ == "__main__":
    if sys.argv[1] == "dump":
        dump(sys.argv[2])
    else:
        copy(sys.argv[2], sys.argv[3],
             numpy.int64 if len(sys.argv) > 4 and sys.argv[4] == "int64" else numpy.int32)
