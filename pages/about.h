// About page: the tool's name, icon and picture, and the file version and
// copyright line read from the program's own version record.
#pragma once

#include "platform/framework/afxcmn.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "res/resource_ids.h"

class CAbout : public CPropertyPage {
  DECLARE_DYNAMIC(CAbout)

 public:
  enum { IDD = res::IDD_ABOUT };

  CAbout();
  ~CAbout() override;

  CString m_strVersion;
  CString m_strCopyright;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
};
