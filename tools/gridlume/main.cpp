// gridlume: the command-line tool over the Gridlume library.
#include "command.hpp"

int main(int argc, char **argv) { return gridlume_tool::run_tool(argc, argv); }
