// Registration of the control classes.
#include "platform/controls/commctrl.h"
#include "platform/controls/internal.h"

void InitCommonControls() {
  platform::controls::RegisterButtonClass();
  platform::controls::RegisterStaticClass();
  platform::controls::RegisterEditClass();
  platform::controls::RegisterComboBoxClasses();
  platform::controls::RegisterUpDownClass();
  platform::controls::RegisterTabClass();
  platform::controls::RegisterProgressClass();
}
