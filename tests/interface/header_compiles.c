/* The public header compiles as C99 with -pedantic-errors. */
#include "gridlume.h"
int gridlume_header_compiles_as_c(void) { return GRIDLUME_STATUS_OK; }
