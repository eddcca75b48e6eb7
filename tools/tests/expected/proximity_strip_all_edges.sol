MeshVersionFormatted 2

Dimension 3

SolAtVertices
12
1 1 

1.5 
1.5 
1.5 
1.5 
1.5 
1.5 
1.5 
1.5 
1.5 
1.5 
1.5 
1.5 

End
