MeshVersionFormatted 2

Dimension 3

SolAtVertices
12
1 1 

2 
2 
2 
2 
2 
2 
2 
2 
2 
2 
2 
2 

End
