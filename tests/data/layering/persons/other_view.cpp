// A view that includes another view folder.
#include "readers/readers.h"
#include "views/host.h"
