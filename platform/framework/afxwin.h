// The application framework over the emulated window system, with the class
// and macro names the programs are written against: run-time class
// information, per-class message maps chained to the base class, CWnd and
// its handle map, CWinApp with the program entry, CDialog with data
// exchange, and thin control wrappers.
#pragma once

#include <string>

#include "platform/controls/commctrl.h"
#include "platform/window/winuser.h"
#include "platform/wintypes.h"

using CString = std::u16string;

#define afx_msg

// ---------------------------------------------------------------------------
// Run-time class information

struct CRuntimeClass {
  const char* m_lpszClassName = nullptr;
  int m_nObjectSize = 0;
  const CRuntimeClass* m_pBaseClass = nullptr;
  bool IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)           \
 public:                                      \
  static const CRuntimeClass* GetThisClass(); \
  const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                               \
  const CRuntimeClass* class_name::GetThisClass() {                                  \
    static const CRuntimeClass rc{#class_name, static_cast<int>(sizeof(class_name)), \
                                  base_class_name::GetThisClass()};                  \
    return &rc;                                                                      \
  }                                                                                  \
  const CRuntimeClass* class_name::GetRuntimeClass() const {                         \
    return class_name::GetThisClass();                                               \
  }

class CObject {
 public:
  virtual ~CObject() = default;
  static const CRuntimeClass* GetThisClass();
  virtual const CRuntimeClass* GetRuntimeClass() const;
  bool IsKindOf(const CRuntimeClass* cls) const;

 protected:
  CObject() = default;
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;
};

// ---------------------------------------------------------------------------
// Message maps. An entry matches (message, notification code, control id);
// for WM_COMMAND the code is HIWORD(wParam) and the id LOWORD(wParam), for
// WM_NOTIFY they come from the NMHDR, for other messages both are 0. Lookup
// walks the class's map, then its base classes' maps.

class CCmdTarget;
class CWnd;

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;
  UINT nID;
  // Calls the handler with the message parameters; returns TRUE when the
  // message was handled, its result in *result.
  BOOL (*pfn)(CCmdTarget* target, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// First entry of `map` or its bases that matches, or null.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code,
                                            UINT id);

#define DECLARE_MESSAGE_MAP()                       \
 protected:                                         \
  static const AFX_MSGMAP* GetThisMessageMap();     \
  const AFX_MSGMAP* GetMessageMap() const override; \
                                                    \
 private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)        \
  const AFX_MSGMAP* theClass::GetMessageMap() const { \
    return GetThisMessageMap();                       \
  }                                                   \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
    using ThisClass [[maybe_unused]] = theClass;      \
    using TheBaseClass = baseClass;                   \
    static const AFX_MSGMAP_ENTRY messageEntries[] = {
#define END_MESSAGE_MAP()                                                                      \
  { 0, 0, 0, nullptr }                                                                         \
  }                                                                                            \
  ;                                                                                            \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &messageEntries[0]}; \
  return &messageMap;                                                                          \
  }

// WM_COMMAND from control `id` with notification `code` -> void f().
#define ON_CONTROL(code, id, memberFxn)                        \
  {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), \
   [](CCmdTarget* t, WPARAM, LPARAM, LRESULT*) -> BOOL {       \
     (static_cast<ThisClass*>(t)->*(memberFxn))();             \
     return TRUE;                                              \
   }},
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)

// WM_NOTIFY with `code` from control `id` -> void f(NMHDR*, LRESULT*).
#define ON_NOTIFY(code, id, memberFxn)                                                \
  {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id),                         \
   [](CCmdTarget* t, WPARAM, LPARAM l, LRESULT* result) -> BOOL {                     \
     (static_cast<ThisClass*>(t)->*(memberFxn))(reinterpret_cast<NMHDR*>(l), result); \
     return TRUE;                                                                     \
   }},

// Any message -> LRESULT f(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                              \
  {static_cast<UINT>(message), 0, 0,                                \
   [](CCmdTarget* t, WPARAM w, LPARAM l, LRESULT* result) -> BOOL { \
     *result = (static_cast<ThisClass*>(t)->*(memberFxn))(w, l);    \
     return TRUE;                                                   \
   }},

// WM_SIZE -> void OnSize(UINT type, int cx, int cy).
#define ON_WM_SIZE()                                                                 \
  {WM_SIZE, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l, LRESULT*) -> BOOL {          \
     static_cast<ThisClass*>(t)->OnSize(static_cast<UINT>(w), LOWORD(l), HIWORD(l)); \
     return TRUE;                                                                    \
   }},
// WM_SETTINGCHANGE -> void OnSettingChange(UINT flags, LPCTSTR section).
#define ON_WM_SETTINGCHANGE()                                                        \
  {WM_SETTINGCHANGE, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l, LRESULT*) -> BOOL { \
     static_cast<ThisClass*>(t)->OnSettingChange(static_cast<UINT>(w),               \
                                                 reinterpret_cast<LPCTSTR>(l));      \
     return TRUE;                                                                    \
   }},
// WM_VSCROLL -> void OnVScroll(UINT code, UINT pos, CWnd* bar). pos is
// HIWORD(wParam) (zero-extended); bar is CWnd::FromHandle of lParam (null
// when lParam is 0).
#define ON_WM_VSCROLL()                                                                  \
  {WM_VSCROLL, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l, LRESULT*) -> BOOL {           \
     static_cast<ThisClass*>(t)->OnVScroll(LOWORD(w), HIWORD(w),                         \
                                           CWnd::FromHandle(reinterpret_cast<HWND>(l))); \
     return TRUE;                                                                        \
   }},

// ---------------------------------------------------------------------------

class CCmdTarget : public CObject {
 public:
  static const CRuntimeClass* GetThisClass();
  const CRuntimeClass* GetRuntimeClass() const override;
  ~CCmdTarget() override = default;

  // Routes a WM_COMMAND (id, notification code) through the message map.
  virtual BOOL OnCmdMsg(UINT id, int code);

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

class CDataExchange;

// A window object. Windows created or subclassed through the framework are
// "permanent": their messages go through the object's message map (derived
// classes first) and unhandled ones to the window's previous procedure.
class CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)

 public:
  CWnd() = default;
  // Destroys the window if the object still owns one.
  ~CWnd() override;

  HWND m_hWnd = nullptr;

  HWND GetSafeHwnd() const { return m_hWnd; }

  // The permanent object of a window, or else a temporary wrapper that lives
  // until the window is destroyed. Null for a null handle.
  static CWnd* FromHandle(HWND hwnd);
  // The permanent object of a window, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);

  BOOL Attach(HWND hwnd);
  HWND Detach();
  // Routes the window's messages through this object.
  BOOL SubclassWindow(HWND hwnd);

  BOOL CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id, LPVOID param = nullptr);
  virtual BOOL DestroyWindow();

  // Dialog items
  CWnd* GetDlgItem(int id) const;
  void SetDlgItemText(int id, LPCTSTR text);
  int GetDlgItemText(int id, CString& text) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // Messages
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // State and geometry
  BOOL ShowWindow(int cmdShow);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  void BringWindowToTop();
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void GetWindowRect(RECT* rect) const;
  void GetClientRect(RECT* rect) const;
  void UpdateWindow();
  DWORD GetStyle() const;

  // Text, icon, relations, focus
  HICON SetIcon(HICON icon, BOOL bigIcon);

  // A message box owned by this window; a null caption means the
  // application name.
  int MessageBox(LPCTSTR text, LPCTSTR caption = nullptr, UINT type = MB_OK);

  // Runs DoDataExchange: TRUE = controls -> members, FALSE = members -> controls.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // The default handling of the message being processed.
  LRESULT Default();
  // The message being processed (innermost), or null outside any.
  static const MSG* GetCurrentMessage();

 protected:
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Passes the message to the window's previous procedure.
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual void DoDataExchange(CDataExchange* dx);
  virtual void PreSubclassWindow();
  // Called after the window is gone (WM_NCDESTROY); m_hWnd is already null.
  virtual void PostNcDestroy();

  // Default message handlers: each passes the message to Default().
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnSettingChange(UINT flags, LPCTSTR section);
  afx_msg void OnVScroll(UINT code, UINT pos, CWnd* bar);

  WNDPROC m_pfnSuper = nullptr;  // the procedure the window had before the framework

  DECLARE_MESSAGE_MAP()
  friend LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  friend void DDX_Control(CDataExchange* dx, int id, CWnd& control);
};

// The window procedure of framework windows: routes to the permanent object.
LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Data exchange

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate)
      : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  // The control's handle; throws nothing, returns null when missing.
  HWND PrepareCtrl(int id);
};

// Binds `control` to dialog item `id` (subclassing it) the first time.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Check(CDataExchange* dx, int id, int& value);

// ---------------------------------------------------------------------------
// Dialogs

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  explicit CDialog(UINT idTemplate, CWnd* parent = nullptr);
  ~CDialog() override;

  // Runs the dialog modally; returns the EndDialog result, or -1 when the
  // loop ended on WM_QUIT / abandoned input or the template is missing.
  virtual INT_PTR DoModal();
  // Creates the dialog modelessly (a child dialog when its template says so).
  virtual BOOL Create(UINT idTemplate, CWnd* parent = nullptr);
  void EndDialog(int result);

  // Top-level dialogs get the shell's full-screen initialisation
  // (SHInitDialog, flags 0x2D); then every drop-down list is filled from the
  // template's initialisation strings, then DoDataExchange runs
  // (UpdateData(FALSE)). Returns TRUE.
  virtual BOOL OnInitDialog();
  // UpdateData(TRUE), then EndDialog(IDOK) when it succeeds.
  virtual void OnOK();
  // EndDialog(IDCANCEL).
  virtual void OnCancel();

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;
  // Module holding the template; null = the program's own.
  HINSTANCE m_hTemplateInstance = nullptr;

 protected:
  afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
  afx_msg void OnSettingChange(UINT flags, LPCTSTR section);

  DECLARE_MESSAGE_MAP()
};

// ---------------------------------------------------------------------------
// Control wrappers (bind them with DDX_Control or Attach)

class CComboBox : public CWnd {
  DECLARE_DYNAMIC(CComboBox)
 public:
  int GetCount() const;
  int GetLBText(int index, CString& text) const;
  int GetLBTextLen(int index) const;
};

// ---------------------------------------------------------------------------
// The application

class CWinApp : public CCmdTarget {
  DECLARE_DYNAMIC(CWinApp)

 public:
  // Registers the object as the application (AfxGetApp). A null name means
  // the program file's name without its extension, set by AfxWinMain.
  explicit CWinApp(LPCTSTR appName = nullptr);
  ~CWinApp() override;

  LPCTSTR m_pszAppName = nullptr;
  LPCTSTR m_pszExeName = nullptr;
  LPCTSTR m_pszRegistryKey = nullptr;
  LPCTSTR m_pszProfileName = nullptr;
  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;

  // Profile storage under HKEY_CURRENT_USER\Software\<key>\<app> (nothing is
  // read or written by the framework itself).
  void SetRegistryKey(LPCTSTR key);

  virtual BOOL InitApplication();
  // Returns FALSE to end the program at once (no message loop).
  virtual BOOL InitInstance();
  // The message loop; returns ExitInstance().
  virtual int Run();
  // Returns the exit code (the wParam of the last WM_QUIT, else 0).
  virtual int ExitInstance();

  HICON LoadIcon(UINT id) const;

 private:
  CString m_strAppName;
  CString m_strExeName;
  CString m_strRegistryKey;
  CString m_strProfileName;
  int m_nExitCode = 0;
  friend int AfxWinMain();
};

CWinApp* AfxGetApp();
LPCTSTR AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWnd* AfxGetMainWnd();

// The program entry the host calls once the application object exists and
// platform::ProgramModule() is set: names the application, runs
// InitApplication and InitInstance, then Run() when InitInstance returned
// TRUE, else ExitInstance(). Returns the exit code; -1 without an
// application object.
int AfxWinMain();

// Tests: forgets temporary window objects and the current message stack.
void AfxResetFrameworkState();
