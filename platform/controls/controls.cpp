#include "platform/controls/commctrl.h"
