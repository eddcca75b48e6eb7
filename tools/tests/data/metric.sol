MeshVersionFormatted 2

Dimension 3

SolAtVertices
2
1 3 

4 0.5 2 0 0 1 
100 -0.25 64 0.125 0 16 

End
