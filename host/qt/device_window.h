// The desktop window that shows the emulated device screen, zoomed, and
// turns desktop input into device input.
//
// The tool runs on this thread and blocks in its own loops (the modal
// dialog, message boxes, the Apply cycle). So the window never calls into the
// window system from a Qt event handler: handlers only queue DeviceInput, and
// the queue is delivered when the window system asks its input source for
// input (WaitForInput). Painting, on the other hand, happens at once whenever
// the window system asks (RenderNow), also in the middle of Apply.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QBackingStore>
#include <QEventLoop>
#include <QImage>
#include <QWindow>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "host/qt/input.h"
#include "platform/window/host.h"

namespace hostqt {

class DeviceWindow : public QWindow,
                     public QAbstractNativeEventFilter,
                     public platform::InputSource {
 public:
  // `zoom` in desktop (logical) pixels per device pixel; none: the largest up
  // to 2 that fits the screen. A zoom that does not fit is reduced (the
  // notice says so).
  explicit DeviceWindow(std::optional<int> zoom,
                        const QString& title = QStringLiteral("RegillaMobile"));
  ~DeviceWindow() override;

  // Physical desktop pixels per device pixel.
  int Scale() const { return scale_; }
  // Whether a device window was destroyed by another program (Qt then
  // reports errors about it that mean nothing to the user).
  static bool AnyDestroyedElsewhere();

  // Paints the live device screen and puts it on the desktop at once.
  void RenderNow();
  // Marks the screen for painting before the next wait for input.
  void ScheduleRender() { dirty_ = true; }
  // The last painted screen, at device size.
  const QImage& Frame() const { return frame_; }
  // What the window last showed, in physical pixels: the screen enlarged
  // and centred, black around it.
  const QImage& Shown() const { return shown_; }

  // platform::InputSource: processes desktop events until input arrives or
  // the timeout passes, then delivers the queued input to the window system.
  bool WaitForInput(std::optional<DWORD> timeoutMs) override;

  // The device pixel under a window position (logical desktop pixels).
  QPoint DevicePoint(QPointF windowPos) const;

  // Queues input as if it came from the desktop (also used by tests).
  void Enqueue(const DeviceInput& input);
  void Enqueue(const std::vector<DeviceInput>& inputs);

  // Where Ctrl+S and Ctrl+E write their files; the default is the working
  // directory.
  void SetOutputFolder(const QString& folder) { outputFolder_ = folder; }
  // Called whenever the window is about to wait for desktop input with nothing
  // queued (tests play their desktop events from here).
  void SetIdleHook(std::function<void()> hook) { idle_ = std::move(hook); }
  // Called with each message the window has for the user (a reduced zoom, a
  // saved screenshot); those from before it was set are passed at once.
  void SetNotice(std::function<void(const std::string&)> notice);

  // QAbstractNativeEventFilter: notes the window's destruction by another
  // program (an X client may destroy any window without asking).
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 protected:
  bool event(QEvent* e) override;
  void exposeEvent(QExposeEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

 private:
  void FitToScreen();
  void Notice(const std::string& text);
  // Where the screen's top-left corner lies in the window, in physical pixels.
  QPoint Origin() const;
  void Deliver(const DeviceInput& input);
  void RequestClose();
  void Rotate();
  void SaveScreenshot();
  void ExportSettings();

  std::optional<int> zoom_;
  int scale_ = 1;
  QBackingStore store_;
  QImage frame_;
  QImage shown_;
  bool destroyed_ = false;  // by another program; nothing can be shown any more
  std::vector<std::string> pendingNotices_;
  bool dirty_ = true;
  bool painting_ = false;
  bool buttonDown_ = false;
  bool closing_ = false;
  std::deque<DeviceInput> queue_;
  QEventLoop* waiting_ = nullptr;
  QString outputFolder_;
  std::function<void(const std::string&)> notice_;
  std::function<void()> idle_;
};

// The main dialog of the running program (null before it exists).
HWND MainDialog();

// The icon of the running program (icon group 129), for the desktop window.
QIcon ProgramIcon();

}  // namespace hostqt
