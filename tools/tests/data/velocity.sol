MeshVersionFormatted 2
Dimension 2
# velocities, not sizes
SolAtVertices
2
2 2 1
1 0 0.5
0 1 0.25
End
