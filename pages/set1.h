// First settings page: the CAB installer's prompts, the CPU priority scheme
// and window animation.
#pragma once

#include <vector>

#include "pages/saved_value.h"
#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "res/resource_ids.h"

class CSet1 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet1)

 public:
  enum { IDD = res::IDD_SET1 };

  CSet1();
  ~CSet1() override;

  void LoadSettings();
  void SaveSettings();
  // What SaveSettings writes, in its order (the page's table).
  static std::vector<pages::SavedValue> SaveSet();

  CComboBox m_comboCpuPriority;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
};
