MeshVersionFormatted 2
Dimension 3
SolAtVertices
4
1 1
0.5 0.25
