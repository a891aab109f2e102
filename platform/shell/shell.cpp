#include "platform/shell/aygshell.h"
