"""Exchange with meshio, imported only when asked for."""

import numpy as np

from . import _gridlume

# The name under which meshio's keyword-file reader and writer keep tags.
TAG_NAME = "medit:ref"


def _meshio():
    try:
        import meshio
    except ImportError as error:  # pragma: no cover - depends on the machine
        raise ImportError("gridlume.to_meshio and from_meshio need meshio") from error
    return meshio


def to_meshio(mesh):
    """The mesh as a meshio.Mesh: the same points and cells, the tags as
    "medit:ref" point and cell data (meshio's names for keyword-file
    references)."""
    meshio = _meshio()
    cells = list(mesh.cells.items())
    tags = mesh.cell_tags
    return meshio.Mesh(
        mesh.points,
        cells,
        point_data={TAG_NAME: mesh.point_tags},
        cell_data={TAG_NAME: [tags[name] for name, _ in cells]},
    )


def from_meshio(m):
    """A gridlume.Mesh from a meshio.Mesh: its points, its cells (blocks of
    one type are joined, in their order) and its "medit:ref" point and cell
    data as tags. ValueError for a cell type the library has no kind for."""
    cells = {}
    tags = {}
    cell_refs = m.cell_data.get(TAG_NAME)
    for index, block in enumerate(m.cells):
        cells.setdefault(block.type, []).append(np.asarray(block.data))
        if cell_refs is not None:
            tags.setdefault(block.type, []).append(np.asarray(cell_refs[index]))
    joined = {name: blocks[0] if len(blocks) == 1 else np.concatenate(blocks)
              for name, blocks in cells.items()}
    joined_tags = None
    if cell_refs is not None:
        joined_tags = {name: parts[0] if len(parts) == 1 else np.concatenate(parts)
                       for name, parts in tags.items()}
    return _gridlume.Mesh(np.asarray(m.points, dtype=np.float64), joined,
                          point_tags=m.point_data.get(TAG_NAME), cell_tags=joined_tags)
