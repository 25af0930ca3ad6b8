// The kit reaching into a view folder.
#include "shell/shell.h"
