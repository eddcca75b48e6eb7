"""Checks the mid-nodes of a second-order keyword mesh file written by
'gridlume highorder' (text form, extra vertices after the linear elements).

  check_mid_nodes.py straight FILE
      every extra vertex of an edge, triangle or tetrahedron lies at the
      middle of two corners of its element;
  check_mid_nodes.py curved STRAIGHT CURVED
      both files hold the same elements, and the boundary mid-nodes of CURVED
      lie at least four times closer to the unit sphere than those of STRAIGHT.
"""
import sys

CORNERS = {"Edges": 2, "Triangles": 3, "Tetrahedra": 4}


def read(path):
    words = open(path).read().split()
    position = 0
    vertices, elements, extra = [], {}, {}
    while position < len(words):
        keyword = words[position]
        position += 1
        if keyword == "Vertices":
            count = int(words[position])
            position += 1
            for _ in range(count):
                vertices.append(tuple(float(w) for w in words[position:position + 3]))
                position += 4
        elif keyword in CORNERS:
            count, width = int(words[position]), CORNERS[keyword]
            position += 1
            elements[keyword] = []
            for _ in range(count):
                elements[keyword].append([int(w) for w in words[position:position + width]])
                position += width + 1
        elif keyword.startswith("ExtraVerticesAt"):
            kind = keyword[len("ExtraVerticesAt"):]
            count = int(words[position])
            position += 1
            extra[kind] = {}
            for _ in range(count):
                element, number = int(words[position]), int(words[position + 1])
                extra[kind][element] = [int(w) for w in words[position + 2:position + 2 + number]]
                position += 2 + number
        elif keyword in ("MeshVersionFormatted", "Dimension"):
            position += 1
        elif keyword == "End":
            break
        else:
            sys.exit("unexpected keyword " + keyword)
    return vertices, elements, extra


def mid_nodes(mesh, kind):
    vertices, elements, extra = mesh
    for index, corners in enumerate(elements.get(kind, []), start=1):
        for node in extra[kind][index]:
            yield [vertices[c - 1] for c in corners], vertices[node - 1]


def distance_to_sphere(point):
    return abs(sum(x * x for x in point) ** 0.5 - 1.0)


def check_straight(path):
    mesh = read(path)
    checked = 0
    for kind in CORNERS:
        for corners, node in mid_nodes(mesh, kind):
            middles = [tuple((a[i] + b[i]) / 2 for i in range(3))
                       for j, a in enumerate(corners) for b in corners[j + 1:]]
            if min(max(abs(m[i] - node[i]) for i in range(3)) for m in middles) > 1e-12:
                sys.exit("%s: a mid-node of a %s is not the middle of two corners" % (path, kind))
            checked += 1
    if checked == 0:
        sys.exit(path + ": no mid-node")


def check_curved(straight_path, curved_path):
    straight, curved = read(straight_path), read(curved_path)
    if straight[1] != curved[1]:
        sys.exit("the two files hold different elements")
    before = [distance_to_sphere(node) for _, node in mid_nodes(straight, "Triangles")]
    after = [distance_to_sphere(node) for _, node in mid_nodes(curved, "Triangles")]
    if not before or sum(after) * 4 > sum(before):
        sys.exit("curving brought the boundary mid-nodes from %g to %g of the sphere on average"
                 % (sum(before) / len(before), sum(after) / len(after)))


if __name__ == "__main__":
    if sys.argv[1:2] == ["straight"] and len(sys.argv) == 3:
        check_straight(sys.argv[2])
    elif sys.argv[1:2] == ["curved"] and len(sys.argv) == 4:
        check_curved(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
