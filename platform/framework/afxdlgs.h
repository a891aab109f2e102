// Property pages. Programs here use them only as modeless child dialogs
// (CDialog::Create), never inside a property sheet.
#pragma once

#include "platform/framework/afxwin.h"

class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)

 public:
  // idCaption 0: the caption of the template (none for child templates).
  explicit CPropertyPage(UINT idTemplate, UINT idCaption = 0);
  ~CPropertyPage() override;

  UINT m_nIDCaption = 0;

 protected:
  DECLARE_MESSAGE_MAP()
};
