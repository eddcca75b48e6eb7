#!/usr/bin/env python3
"""Reads a mesh, prints a summary of its element quality, plots the
histogram of one measure to a PNG when matplotlib is installed, and writes
the mesh in another format.

    python3 examples/python_quality.py IN OUT [--measure NAME] [--histogram PNG]

IN and OUT are any mesh files the library reads and writes (.mesh, .meshb,
.stl, .bdf, .points/.faces; OUT may also be .vtk). With the package built in
this tree: PYTHONPATH=build/python.
"""

import argparse
import sys

import numpy as np

import gridlume

# The measure summarised for each element kind, when the mesh has that kind.
SUMMARY_MEASURES = [
    "triangle_aspect_ratio",
    "quadrangle_aspect_ratio",
    "tetrahedron_aspect_ratio",
    "tetrahedron_shape_factor",
    "hexahedron_aspect_ratio",
    "prism_shape_factor",
    "pyramid_shape_factor",
]


def summarise(mesh):
    counts = ", ".join(f"{count} {kind}" for kind, count in mesh.element_counts.items())
    print(f"{len(mesh.points)} vertices, {counts or 'no elements'}")
    print(f"{'measure':32} {'min':>12} {'mean':>12} {'max':>12}")
    for measure in SUMMARY_MEASURES:
        kind = measure.split("_")[0]
        if mesh.element_counts.get(kind, 0) == 0:
            continue
        values = mesh.quality(measure)
        print(f"{measure:32} {values.min():12.6g} {values.mean():12.6g} {values.max():12.6g}")


def plot_histogram(values, measure, path):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("matplotlib is not installed: no histogram plotted")
        return
    finite = values[np.isfinite(values)]
    figure, axes = plt.subplots(figsize=(6, 4))
    axes.hist(finite, bins=50)
    axes.set_xlabel(measure.replace("_", " "))
    axes.set_ylabel("elements")
    axes.set_title(f"{len(finite)} elements")
    figure.tight_layout()
    figure.savefig(path, dpi=100)
    plt.close(figure)
    print(f"histogram of {measure} written to {path}")


def default_measure(mesh):
    for measure in SUMMARY_MEASURES:
        if mesh.element_counts.get(measure.split("_")[0], 0) > 0:
            return measure
    return None


def main(arguments):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("input")
    parser.add_argument("output")
    parser.add_argument("--measure", help="measure of the histogram (default: the first "
                        "of the summary the mesh has)")
    parser.add_argument("--histogram", default="quality.png", help="PNG file of the histogram")
    options = parser.parse_args(arguments)
    try:
        mesh = gridlume.read(options.input)
        summarise(mesh)
        measure = options.measure or default_measure(mesh)
        if measure is not None:
            plot_histogram(mesh.quality(measure), measure, options.histogram)
        gridlume.write(options.output, mesh)
        print(f"written to {options.output}")
    except gridlume.Error as error:
        print(f"gridlume: {error.message} (code {error.code})", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
