// Second settings page: the software keyboard, clearing the start menu's
// history and the browser's connections per server.
#pragma once

#include <vector>

#include "pages/saved_value.h"
#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "res/resource_ids.h"

class CSet2 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet2)

 public:
  enum { IDD = res::IDD_SET2 };

  CSet2();
  ~CSet2() override;

  void LoadSettings();
  void SaveSettings();
  // What SaveSettings writes, in its order (the page's table).
  static std::vector<pages::SavedValue> SaveSet();

  CSpinButtonCtrl m_spinPer1_0Server;
  CSpinButtonCtrl m_spinPerServer;
  int m_nPer1_0Server = 0;
  int m_nPerServer = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);

  DECLARE_MESSAGE_MAP()
};
