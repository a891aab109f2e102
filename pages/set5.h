// Fifth settings page: menu animation and the four scroll-bar sizes.
#pragma once

#include <vector>

#include "pages/saved_value.h"
#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "res/resource_ids.h"

class CSet5 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet5)

 public:
  enum { IDD = res::IDD_SET5 };

  CSet5();
  ~CSet5() override;

  void LoadSettings();
  void SaveSettings();
  // What SaveSettings writes, in its order (the page's table).
  static std::vector<pages::SavedValue> SaveSet();

  CSpinButtonCtrl m_spinCxVScr;
  int m_nCxVScr = 0;
  int m_nCyHScr = 0;
  CSpinButtonCtrl m_spinCyHScr;
  int m_nCyVScr = 0;
  int m_nCxHScr = 0;
  CSpinButtonCtrl m_spinCyVScr;
  CSpinButtonCtrl m_spinCxHScr;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);

  DECLARE_MESSAGE_MAP()
};
