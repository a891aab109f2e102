#include "pages/about.h"

#include <memory>

#include "platform/version/version.h"

IMPLEMENT_DYNAMIC(CAbout, CPropertyPage)

BEGIN_MESSAGE_MAP(CAbout, CPropertyPage)
END_MESSAGE_MAP()

CAbout::CAbout() : CPropertyPage(CAbout::IDD) {}

CAbout::~CAbout() = default;

void CAbout::DoDataExchange(CDataExchange* pDX) {
  CPropertyPage::DoDataExchange(pDX);
  DDX_Text(pDX, res::IDC_VERSION, m_strVersion);
  DDX_Text(pDX, res::IDC_COPYRIGHT, m_strCopyright);
}

namespace {

CString StringAt(const void* p) {
  return p ? CString(static_cast<const WCHAR*>(p)) : CString();
}

}  // namespace

BOOL CAbout::OnInitDialog() {
  CPropertyPage::OnInitDialog();

  WCHAR path[256] = {};
  GetModuleFileNameW(GetModuleHandleW(nullptr), path, 256);
  const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
  // Freed on every path when it goes out of scope; the looked-up strings
  // point into it, so they are copied before.
  const std::unique_ptr<BYTE[]> block(new BYTE[size]);
  if (GetFileVersionInfoW(path, 0, size, block.get()) == TRUE) {
    LPVOID translation = nullptr;
    UINT translationLen = 0;
    // Without a translation entry there is no key to look the strings up
    // under: both texts stay empty.
    if (VerQueryValueW(block.get(), u"\\VarFileInfo\\Translation", &translation, &translationLen) &&
        translation != nullptr && translationLen >= 2 * sizeof(WORD)) {
      const WORD* words = static_cast<const WORD*>(translation);
      WCHAR key[10] = {};
      wsprintfW(key, u"%04x%04x", static_cast<unsigned>(words[0]), static_cast<unsigned>(words[1]));
      WCHAR query[128] = {};
      LPVOID version = nullptr;
      LPVOID copyright = nullptr;
      UINT len = 0;
      wsprintfW(query, u"\\StringFileInfo\\%s\\FileVersion", key);
      if (VerQueryValueW(block.get(), query, &version, &len)) {
        wsprintfW(query, u"\\StringFileInfo\\%s\\LegalCopyright", key);
        if (VerQueryValueW(block.get(), query, &copyright, &len)) {
          // Shown together or not at all.
          m_strVersion = StringAt(version);
          m_strCopyright = StringAt(copyright);
        }
      }
    }
  }
  UpdateData(FALSE);
  return TRUE;
}
