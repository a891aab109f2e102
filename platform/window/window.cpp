#include "platform/window/hooks.h"
#include "platform/window/winuser.h"
