// Framework wrappers of the common controls: tab control, progress bar and
// up-down ("spin button") control.
#pragma once

#include "platform/framework/afxwin.h"

class CTabCtrl : public CWnd {
  DECLARE_DYNAMIC(CTabCtrl)
 public:
  // Inserts a tab with its text only (TCIF_TEXT); returns its index or -1.
  LONG InsertItem(int index, LPCTSTR text);
  LONG InsertItem(int index, TCITEM* item);
  BOOL DeleteItem(int index);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);
  BOOL GetItemRect(int index, RECT* rect) const;
  void AdjustRect(BOOL larger, RECT* rect);
};

class CProgressCtrl : public CWnd {
  DECLARE_DYNAMIC(CProgressCtrl)
 public:
  void SetRange(short lower, short upper);
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  // Returns the previous position.
  int SetPos(int pos);
  int GetPos() const;
  int OffsetPos(int delta);
  int SetStep(int step);
  int StepIt();
};

class CSpinButtonCtrl : public CWnd {
  DECLARE_DYNAMIC(CSpinButtonCtrl)
 public:
  // UDM_SETRANGE with MAKELPARAM(upper, lower).
  void SetRange(short lower, short upper);
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  void GetRange32(int& lower, int& upper) const;
  // UDM_SETPOS; returns the previous position.
  int SetPos(int pos);
  // UDM_GETPOS as the control returns it (position in the low word, the
  // error flag in the high word).
  int GetPos() const;
  int SetPos32(int pos);
  int GetPos32(BOOL* error = nullptr) const;
};
