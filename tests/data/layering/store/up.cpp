// A core file that reaches up into a view folder.
#include "readers/readers.h"
