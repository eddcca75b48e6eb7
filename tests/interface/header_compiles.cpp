// The public header compiles as C++ with -pedantic-errors.
#include "gridlume.h"
int gridlume_header_compiles_as_cxx() { return GRIDLUME_STATUS_OK; }
