// Framework wrappers of the common controls: tab control, progress bar and
// up-down ("spin button") control.
#pragma once

#include "platform/framework/afxwin.h"

class CTabCtrl : public CWnd {
  DECLARE_DYNAMIC(CTabCtrl)
 public:
  LONG InsertItem(int index, TCITEM* item);
  int GetItemCount() const;
  int GetCurSel() const;
};

class CProgressCtrl : public CWnd {
  DECLARE_DYNAMIC(CProgressCtrl)
 public:
  // Returns the previous position.
  int SetPos(int pos);
};

class CSpinButtonCtrl : public CWnd {
  DECLARE_DYNAMIC(CSpinButtonCtrl)
 public:
  // UDM_SETRANGE with MAKELPARAM(upper, lower).
  void SetRange(short lower, short upper);
  void GetRange(int& lower, int& upper) const;
  // UDM_SETPOS; returns the previous position.
  int SetPos(int pos);
  // UDM_GETPOS as the control returns it (position in the low word, the
  // error flag in the high word).
  int GetPos() const;
};
