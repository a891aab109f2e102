// Third settings page: dial-up idle time, the network folder, the wireless LAN
// scan interval, WiFi auto-stop and the device name.
#pragma once

#include <vector>

#include "pages/saved_value.h"
#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "res/resource_ids.h"

class CSet3 : public CPropertyPage {
  DECLARE_DYNAMIC(CSet3)

 public:
  enum { IDD = res::IDD_SET3 };

  CSet3();
  ~CSet3() override;

  void LoadSettings();
  void SaveSettings();
  // What SaveSettings writes, in its order (the page's table).
  static std::vector<pages::SavedValue> SaveSet();

  CSpinButtonCtrl m_spinCacheTime;
  int m_nCacheMinutes = 10;
  CSpinButtonCtrl m_spinScanInterval;
  int m_nScanMinutes = 0;
  // The stored device name was too long to read (see the settings table).
  bool m_bNameUnreadable = false;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);

  DECLARE_MESSAGE_MAP()
};
