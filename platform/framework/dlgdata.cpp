// Dialog data exchange: binding controls to objects and moving values
// between controls and members.
#include "platform/framework/afxwin.h"
#include "platform/framework/internal.h"

HWND CDataExchange::PrepareCtrl(int id) {
  return m_pDlgWnd == nullptr ? nullptr : ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (dx == nullptr || control.m_hWnd != nullptr) return;
  HWND item = dx->PrepareCtrl(id);
  if (item != nullptr) control.SubclassWindow(item);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  HWND item = dx == nullptr ? nullptr : dx->PrepareCtrl(id);
  if (item == nullptr) return;
  if (dx->m_bSaveAndValidate) {
    value = platform::framework::WindowText(item);
  } else {
    ::SetWindowText(item, value.c_str());
  }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  HWND item = dx == nullptr ? nullptr : dx->PrepareCtrl(id);
  if (item == nullptr) return;
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessage(item, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessage(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}
