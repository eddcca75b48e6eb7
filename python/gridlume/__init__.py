"""Gridlume meshes in Python.

Read and write the library's mesh files, get their data as numpy arrays,
measure element quality, exchange meshes with meshio, and convert linear
volume meshes to second order. Every failure of the library is raised as
gridlume.Error with the library's message and code; its warnings go through
the warnings module (gridlume.MessageWarning) and its information messages to
the "gridlume" logger.

    >>> import gridlume
    >>> mesh = gridlume.read("box.meshb")
    >>> mesh.points.shape, mesh.cells["tetra"].shape
    >>> mesh.quality("tetrahedron_aspect_ratio").max()
    >>> gridlume.write("box.mesh", mesh, version=2)
"""

from ._errors import Error, MessageWarning
from . import _gridlume
from ._gridlume import Mesh, quality_measures, statistics_measures
from ._meshio import to_meshio, from_meshio

__all__ = [
    "Error", "MessageWarning", "Mesh", "read", "write", "highorder", "to_meshio",
    "from_meshio", "quality_measures", "statistics_measures",
]

__version__ = "2025.1.0"
library_version = _gridlume.library_version

# High-order forms of the keyword-file writer.
_HIGH_ORDER_FORMS = {
    "extra_vertices": _gridlume.high_order_extra_vertices,
    "p2": _gridlume.high_order_p2,
}


def read(path, stl_tolerance=None):
    """Reads a mesh file into a gridlume.Mesh, with the library's reader of
    its extension: ".mesh" (text) and ".meshb" (binary) keyword files of
    versions 1 to 3, ".stl" (text or binary), ".bdf" bulk data decks, and
    ".points"/".faces" pairs (either name stands for the pair).

    stl_tolerance: STL facet corners closer than this are merged into one
    vertex (default: only corners at the very same place).

    Raises ValueError for an extension the library does not read (".vtk" is
    written only) and gridlume.Error when the file cannot be read.
    """
    path = str(path)
    if stl_tolerance is None:
        return _gridlume.read(path)
    return _gridlume.read(path, float(stl_tolerance))


def write(path, mesh, version=3, high_order_form="extra_vertices", binary=False):
    """Writes a mesh with the library's writer of the file's extension:
    ".mesh"/".meshb" keyword files, ".stl", ".bdf", ".points"/".faces" pairs,
    and ".vtk" legacy files (vertices and volume elements only).

    version: keyword file version, 1 (reals as floats), 2 (doubles) or 3
    (doubles, 64-bit positions).
    high_order_form: how keyword files hold second-order elements:
    "extra_vertices" (linear elements plus "ExtraVerticesAt..." blocks) or
    "p2" (whole "...P2"/"...Q2" elements after the linear ones).
    binary: a binary rather than a text STL file.

    Raises ValueError for an unknown extension or option and gridlume.Error
    when the library cannot write the file (a failed file is removed).
    """
    if isinstance(high_order_form, str):
        if high_order_form not in _HIGH_ORDER_FORMS:
            raise ValueError(f"high_order_form is one of {sorted(_HIGH_ORDER_FORMS)}, "
                             f"not {high_order_form!r}")
        high_order_form = _HIGH_ORDER_FORMS[high_order_form]
    elif high_order_form not in _HIGH_ORDER_FORMS.values():
        raise ValueError(f"high_order_form is one of {sorted(_HIGH_ORDER_FORMS)}")
    _gridlume.write(str(path), mesh, int(version), int(high_order_form), bool(binary))


def _parameter_text(value):
    if isinstance(value, bool):
        return "yes" if value else "no"
    return str(value)


def highorder(mesh, threads=0, straight=False, **params):
    """Converts a linear volume mesh to a curved second-order mesh with a
    high-order session, and returns it as a new gridlume.Mesh whose cells are
    the second-order types ("tetra10", "triangle6", ...).

    threads: worker threads of the conversion (0: one per processor).
    straight: keep the new nodes on the straight edges and faces.
    params: further parameters of the session by name, e.g. verbose=1,
    jacobian_threshold=1e-3, curve=False, use_C3D10M_jacobian=True (booleans
    become "yes"/"no"); they are set after threads and straight.

    Raises gridlume.Error for an unknown parameter, an unreadable value or a
    failed conversion.
    """
    if threads < 0:
        raise ValueError("threads is 0 (one per processor) or more")
    parameters = [("max_number_of_threads", str(int(threads)))]
    if straight:
        parameters.append(("curve_propagation_mode", "-1"))
    parameters += [(name, _parameter_text(value)) for name, value in params.items()]
    return _gridlume.highorder(mesh, parameters)
