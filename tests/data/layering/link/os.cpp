// A core file with an operating-system header.
#include <termios.h>
