// The core including the window toolkit.
#include "platform/ui.h"
#include "store/store.h"
