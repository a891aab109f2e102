// The main dialog: a tab control with one page per tab, the Apply button
// "反映", the reload button "ｷｬﾝｾﾙ" and the progress bar shown while applying.
#pragma once

#include <cstddef>
#include <vector>

#include "pages/about.h"
#include "pages/set1.h"
#include "pages/set2.h"
#include "pages/set3.h"
#include "pages/set4.h"
#include "pages/set5.h"
#include "platform/framework/afxcmn.h"
#include "platform/framework/afxwin.h"
#include "res/resource_ids.h"

class CSettingsDlg : public CDialog {
 public:
  enum { IDD = res::IDD_MAIN };

  explicit CSettingsDlg(CWnd* pParent = nullptr);
  ~CSettingsDlg() override;

  // One row per tab: its label, its page and, for settings pages, the
  // page's load and save operations and its save set. Initialisation, tab
  // switching, Apply and reload all walk this table.
  struct TabEntry {
    const WCHAR* label;
    int templateId;
    CPropertyPage& (*page)(CSettingsDlg&);
    void (*load)(CSettingsDlg&) = nullptr;  // null for the About page
    void (*save)(CSettingsDlg&) = nullptr;
    std::vector<pages::SavedValue> (*saveSet)() = nullptr;
  };
  static const TabEntry kTabs[6];

  // The page shown for a tab index, or null outside the table.
  CPropertyPage* PageOfTab(int index);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  void OnSize(UINT nType, int cx, int cy);
  void OnTabSelChange(NMHDR* pNMHDR, LRESULT* pResult);
  void OnReloadAll();
  void OnApply();
  void OnSettingChange(UINT uFlags, LPCWSTR lpszSection);

  DECLARE_MESSAGE_MAP()

 private:
  // The row of the page held in `member`, labelled `label`.
  template <auto member>
  static constexpr TabEntry Tab(const WCHAR* label);
  const TabEntry* TabAt(int index) const;
  void ShowPortraitOnlyMessage();

  HICON m_hIcon = nullptr;
  CSet1 m_set1;
  CTabCtrl m_tab;
  CAbout m_about;
  CSet2 m_set2;
  CSet3 m_set3;
  CSet4 m_set4;
  CProgressCtrl m_progress;
  CSet5 m_set5;
};
