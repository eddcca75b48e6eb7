"""The meshio side of the side-format interoperability test (STL, bulk data
decks, legacy VTK).

  side_format_peer.py dump FILE [DIGITS]
      prints the mesh as meshio reads it: "points N", one line per point
      (x y z, reals with DIGITS significant digits, 17 by default), then for
      each cell block in order of type name "TYPE N" and one line per cell
      (1-based vertices, then its reference: medit:ref, nastran:ref or
      gmsh:geometrical, 0 without one).
  side_format_peer.py corners FILE
      prints "triangles N", then per triangle its three corners (nine reals
      with 9 significant digits), whatever the numbering of the points.
  side_format_peer.py copy FROM TO [KEY=VALUE ...]
      reads FROM and writes TO with meshio, passing the options (binary=1 for
      a binary STL, point_format=... and cell_format=... for a deck); cell
      references go along as the deck's property identifiers.
"""
import sys

import meshio
import numpy

REFERENCES = ("medit:ref", "nastran:ref", "gmsh:geometrical")


def references(mesh, index, count):
    for key in REFERENCES:
        if key in mesh.cell_data:
            return mesh.cell_data[key][index]
    return numpy.zeros(count, dtype=int)


def dump(path, digits):
    mesh = meshio.read(path)
    print("points", len(mesh.points))
    for point in mesh.points:
        coordinates = list(point) + [0.0] * (3 - len(point))
        print(" ".join("%.*g" % (digits, value) for value in coordinates))
    blocks = [(block.type, block.data, references(mesh, index, len(block.data)))
              for index, block in enumerate(mesh.cells)]
    for cell_type, data, refs in sorted(blocks, key=lambda block: block[0]):
        print(cell_type, len(data))
        for cell, reference in zip(data, refs):
            print(" ".join(str(int(vertex) + 1) for vertex in cell), int(reference))


def corners(path):
    mesh = meshio.read(path)
    triangles = [cell for block in mesh.cells if block.type == "triangle" for cell in block.data]
    print("triangles", len(triangles))
    for triangle in triangles:
        print(" ".join("%.9g" % value for vertex in triangle for value in mesh.points[vertex]))


def copy(source, target, options):
    mesh = meshio.read(source)
    cells = [(block.type, block.data.astype(numpy.int32)) for block in mesh.cells]
    cell_data = {}
    if "medit:ref" in mesh.cell_data:
        key = "nastran:ref" if target.endswith((".bdf", ".nas")) else "medit:ref"
        cell_data[key] = [data.astype(numpy.int32) for data in mesh.cell_data["medit:ref"]]
    keywords = {}
    for option in options:
        key, value = option.split("=", 1)
        keywords[key] = bool(int(value)) if key == "binary" else value
    meshio.write(target, meshio.Mesh(mesh.points, cells, cell_data=cell_data), **keywords)


if __name__ == "__main__":
    if sys.argv[1] == "dump":
        dump(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 17)
    elif sys.argv[1] == "corners":
        corners(sys.argv[2])
    else:
        copy(sys.argv[2], sys.argv[3], sys.argv[4:])
