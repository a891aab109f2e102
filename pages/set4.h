// Fourth settings page: lunar calendar, the input method's default mode,
// ClearType in the shell and the browser, and the title-bar clock.
#pragma once

#include <vector>

#include "pages/saved_value.h"
#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "res/resource_ids.h"

class CSet4 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet4)

 public:
  enum { IDD = res::IDD_SET4 };

  CSet4();
  ~CSet4() override;

  void LoadSettings();
  void SaveSettings();
  // What SaveSettings writes, in its order (the page's table).
  static std::vector<pages::SavedValue> SaveSet();

  CComboBox m_comboTBOpt;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
};
