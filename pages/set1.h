// First settings page: the CAB installer's prompts, the CPU priority scheme
// and window animation.
#pragma once

#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"

class CSet1 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet1)

 public:
  enum { IDD = 131 };

  CSet1();
  ~CSet1() override;

  void LoadSettings();
  void SaveSettings();

  CComboBox m_comboCpuPriority;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
};
