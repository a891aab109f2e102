// Control wrappers: thin objects over the control messages.
#include "platform/framework/afxcmn.h"
#include "platform/framework/afxwin.h"

IMPLEMENT_DYNAMIC(CComboBox, CWnd)
int CComboBox::GetCount() const {
  return static_cast<int>(SendMessage(CB_GETCOUNT));
}
int CComboBox::GetLBText(int index, CString& text) const {
  int length = GetLBTextLen(index);
  if (length < 0) {
    text.clear();
    return static_cast<int>(CB_ERR);
  }
  text.assign(static_cast<std::size_t>(length) + 1, u'\0');
  SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return length;
}
int CComboBox::GetLBTextLen(int index) const {
  return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
}

IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
LONG CTabCtrl::InsertItem(int index, TCITEM* item) {
  return static_cast<LONG>(
      SendMessage(TCM_INSERTITEM, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
int CTabCtrl::GetItemCount() const {
  return static_cast<int>(SendMessage(TCM_GETITEMCOUNT));
}
int CTabCtrl::GetCurSel() const {
  return static_cast<int>(SendMessage(TCM_GETCURSEL));
}

IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
int CProgressCtrl::SetPos(int pos) {
  return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos)));
}

IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
void CSpinButtonCtrl::SetRange(short lower, short upper) {
  SendMessage(UDM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(upper), static_cast<WORD>(lower)));
}
void CSpinButtonCtrl::GetRange(int& lower, int& upper) const {
  auto range = static_cast<UINT_PTR>(SendMessage(UDM_GETRANGE));
  lower = static_cast<SHORT>(HIWORD(range));
  upper = static_cast<SHORT>(LOWORD(range));
}
int CSpinButtonCtrl::SetPos(int pos) {
  return static_cast<int>(SendMessage(UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(pos), 0)));
}
int CSpinButtonCtrl::GetPos() const {
  return static_cast<int>(SendMessage(UDM_GETPOS));
}
