#include "host/window_names.h"

#include <algorithm>
#include <array>

#include "app/settings_app.h"
#include "host/text.h"
#include "platform/framework/afxdlgs.h"
#include "platform/framework/afxwin.h"
#include "platform/shell/aygshell.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

namespace host {

namespace {

// Pages in tab order; the dump and the trace list them this way.
constexpr std::array<const char*, 6> kTabOrder = {"CSet1", "CSet2", "CSet3",
                                                  "CSet4", "CSet5", "CAbout"};

std::size_t TabRank(const std::string& name) {
  const auto it = std::find(kTabOrder.begin(), kTabOrder.end(), name);
  return static_cast<std::size_t>(it - kTabOrder.begin());
}

}  // namespace

HWND MainDialog() {
  const CWinApp* app = AfxGetApp();
  if (app == nullptr || app->m_pMainWnd == nullptr) return nullptr;
  // Compare objects rather than read the main-window pointer: it outlives
  // the dialog object it points to.
  for (HWND w : platform::TopLevelWindows()) {
    if (CWnd::FromHandlePermanent(w) == app->m_pMainWnd) return w;
  }
  return nullptr;
}

std::optional<std::string> PageName(HWND hwnd) {
  if (hwnd == nullptr) return std::nullopt;
  HWND main = MainDialog();
  if (main == nullptr || platform::DescribeWindow(hwnd).parent != main) return std::nullopt;
  const CWnd* page = CWnd::FromHandlePermanent(hwnd);
  if (page == nullptr || !page->IsKindOf(RUNTIME_CLASS(CPropertyPage))) return std::nullopt;
  return std::string(page->GetRuntimeClass()->m_lpszClassName);
}

std::vector<HWND> Pages() {
  HWND main = MainDialog();
  std::vector<std::pair<std::string, HWND>> named;
  if (main != nullptr) {
    for (HWND child : platform::ChildWindows(main)) {
      if (auto name = PageName(child)) named.emplace_back(*name, child);
    }
  }
  std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
    const std::size_t ra = TabRank(a.first);
    const std::size_t rb = TabRank(b.first);
    return ra != rb ? ra < rb : a.first < b.first;
  });
  std::vector<HWND> pages;
  for (const auto& entry : named) pages.push_back(entry.second);
  return pages;
}

HWND FindPage(const std::string& name) {
  for (HWND page : Pages()) {
    if (PageName(page) == name) return page;
  }
  return nullptr;
}

std::string WindowName(HWND hwnd) {
  if (hwnd == nullptr) return "none";
  HWND main = MainDialog();
  if (hwnd == main) return "main";
  if (auto page = PageName(hwnd)) return *page;
  if (hwnd == platform::ActiveMessageBox()) return "msgbox";
  const platform::WindowInfo info = platform::DescribeWindow(hwnd);
  if (info.parent != nullptr && info.parent == main) return "main:" + std::to_string(info.id);
  if (auto page = PageName(info.parent)) return *page + ":" + std::to_string(info.id);
  return ToUtf8(info.className);
}

HWND NavigationBarOk() {
  if (HWND main = MainDialog()) {
    if (HWND ok = platform::shell::OkButtonOf(main)) return ok;
  }
  if (HWND bar = platform::shell::TopNavigationBar()) return GetDlgItem(bar, IDOK);
  return nullptr;
}

HWND MessageBoxOk() {
  HWND box = platform::ActiveMessageBox();
  return box != nullptr ? GetDlgItem(box, IDOK) : nullptr;
}

}  // namespace host
