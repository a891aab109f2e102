#include "host/qt/device_window.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QExposeEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <cmath>

#include <xcb/xcb.h>

#include "export/provisioning.h"
#include "host/qt/platform_scene.h"
#include "host/qt/renderer.h"
#include "host/qt/screen_fit.h"
#include "platform/framework/afxwin.h"
#include "platform/resource.h"
#include "platform/shell/aygshell.h"
#include "platform/window/host.h"
#include "platform/window/window_tree.h"
#include "platform/window/winuser.h"

namespace hostqt {

namespace {

constexpr int kProgramIconId = 129;

bool destroyedElsewhere = false;

POINT ToPoint(QPoint p) {
  return POINT{p.x(), p.y()};
}

QPoint CentreOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// The desktop's clipboard behind the edit controls' copy, cut and paste.
platform::ClipboardHook DesktopClipboard() {
  return {[]() -> std::optional<std::u16string> {
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            if (data == nullptr || !data->hasText()) return std::nullopt;
            return data->text().toStdU16String();
          },
          [](const std::u16string& text) {
            QGuiApplication::clipboard()->setText(QString::fromStdU16String(text));
          }};
}

// The OK button of a message box (its push button with id IDOK).
HWND MessageBoxOk(HWND box) {
  for (HWND child : platform::ChildWindows(box)) {
    if (GetDlgCtrlID(child) == IDOK) return child;
  }
  return nullptr;
}

}  // namespace

HWND MainDialog() {
  CWnd* main = AfxGetMainWnd();
  return main != nullptr ? main->GetSafeHwnd() : nullptr;
}

QIcon ProgramIcon() {
  QIcon icon;
  const platform::ResourceModule* module = platform::ProgramModule().resources;
  if (module == nullptr) return icon;
  const platform::BinaryResource* res = platform::FindBinaryResource(module->icons, kProgramIconId);
  if (res == nullptr) return icon;
  for (const QImage& img : DecodeIconImages(res->bytes)) icon.addPixmap(QPixmap::fromImage(img));
  return icon;
}

DeviceWindow::DeviceWindow(std::optional<int> zoom, const QString& title)
    : zoom_(zoom), store_(this) {
  setSurfaceType(QSurface::RasterSurface);
  setTitle(title);
  setIcon(ProgramIcon());
  FitToScreen();
  // Another screen may have another pixel ratio and free area.
  connect(this, &QWindow::screenChanged, this, [this] { FitToScreen(); });
  QCoreApplication::instance()->installNativeEventFilter(this);
  platform::SetClipboardHook(DesktopClipboard());
}

DeviceWindow::~DeviceWindow() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }
  if (platform::GetInputSource() == this) platform::SetInputSource(nullptr);
  platform::SetClipboardHook({});
}

bool DeviceWindow::AnyDestroyedElsewhere() {
  return destroyedElsewhere;
}

void DeviceWindow::SetNotice(std::function<void(const std::string&)> notice) {
  notice_ = std::move(notice);
  if (!notice_) return;
  for (const std::string& text : pendingNotices_) notice_(text);
  pendingNotices_.clear();
}

void DeviceWindow::Notice(const std::string& text) {
  if (notice_) {
    notice_(text);
  } else {
    pendingNotices_.push_back(text);
  }
}

// A fixed size: every device pixel a square of whole physical pixels, the
// largest that the desktop's free area holds (up to the zoom asked for).
void DeviceWindow::FitToScreen() {
  const SIZE device = platform::ScreenSize();
  const double ratio = devicePixelRatio();
  QSize available(device.cx * 8, device.cy * 8);
  if (const QScreen* desktop = screen()) {
    const QRect free = desktop->availableGeometry();
    available =
        QSize(static_cast<int>(free.width() * ratio), static_cast<int>(free.height() * ratio));
  }
  const ScreenFit fit = FitScreen(zoom_, QSize(device.cx, device.cy), available, ratio);
  if (!fit.note.empty()) Notice(fit.note);
  scale_ = fit.scale;
  const QSize size(static_cast<int>(std::ceil(device.cx * scale_ / ratio)),
                   static_cast<int>(std::ceil(device.cy * scale_ / ratio)));
  setMinimumSize(size);
  setMaximumSize(size);
  resize(size);
  dirty_ = true;
}

QPoint DeviceWindow::Origin() const {
  // Centred when the desktop made the window larger; kept at the top-left
  // corner when smaller, so the title bar stays in view.
  const double ratio = devicePixelRatio();
  const QSize physical(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
  const SIZE device = platform::ScreenSize();
  const QSize content = QSize(device.cx, device.cy) * scale_;
  return QPoint(std::max(0, (physical.width() - content.width()) / 2),
                std::max(0, (physical.height() - content.height()) / 2));
}

void DeviceWindow::RenderNow() {
  if (painting_) {
    dirty_ = true;  // asked again from within the event processing below
    return;
  }
  painting_ = true;
  dirty_ = false;
  frame_ = RenderScene(CaptureScene());
  if (!isExposed() || destroyed_) {
    painting_ = false;
    return;
  }
  // Composed in physical pixels and put on the desktop one to one: whole
  // device pixels, as an enlarged LCD would show them, at any pixel ratio.
  const double ratio = devicePixelRatio();
  const QSize physical(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
  if (shown_.size() != physical) shown_ = QImage(physical, QImage::Format_RGB32);
  shown_.setDevicePixelRatio(1);
  {
    QPainter painter(&shown_);
    painter.fillRect(shown_.rect(), Qt::black);
    painter.drawImage(QRect(Origin(), frame_.size() * scale_), frame_);
  }
  shown_.setDevicePixelRatio(ratio);
  const QRect area(QPoint(0, 0), size());
  store_.resize(size());
  store_.beginPaint(area);
  {
    QPainter painter(store_.paintDevice());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), shown_);
  }
  store_.endPaint();
  store_.flush(area);
  // Hand the pixels to the display now: the tool may be blocked for a while
  // (Apply). Desktop input that arrives meanwhile only joins the queue; the
  // tool gets it when it next waits.
  QCoreApplication::processEvents();
  painting_ = false;
}

void DeviceWindow::resizeEvent(QResizeEvent*) {
  // A desktop that does not keep the fixed size gets the screen centred.
  if (isExposed()) RenderNow();
}

bool DeviceWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || handle() == nullptr) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
  const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
  if (destroyed->window != static_cast<xcb_window_t>(winId())) return false;
  // Gone without a close request: end as a close does.
  destroyed_ = true;
  destroyedElsewhere = true;
  Enqueue({DeviceInput::Type::Close, {}, 0});
  return false;
}

void DeviceWindow::exposeEvent(QExposeEvent*) {
  if (isExposed()) RenderNow();
}

bool DeviceWindow::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::UpdateRequest:
      RenderNow();
      return true;
    case QEvent::Close:
      // Closing the desktop window presses the device's OK; the tool ends
      // by itself and the window goes with it.
      e->ignore();
      Enqueue({DeviceInput::Type::Close, {}, 0});
      return true;
    case QEvent::InputMethodQuery: {
      auto* query = static_cast<QInputMethodQueryEvent*>(e);
      query->setValue(Qt::ImEnabled, true);
      query->setValue(Qt::ImHints, int(Qt::ImhNone));
      query->setValue(Qt::ImCursorRectangle, QRect(0, 0, 1, 1));
      query->accept();
      return true;
    }
    case QEvent::InputMethod: {
      auto* im = static_cast<QInputMethodEvent*>(e);
      Enqueue(TranslateCommit(im->commitString()));
      im->accept();
      return true;
    }
    default:
      break;
  }
  return QWindow::event(e);
}

QPoint DeviceWindow::DevicePoint(QPointF windowPos) const {
  const SIZE screen = platform::ScreenSize();
  const QPointF physical = windowPos * devicePixelRatio() - QPointF(Origin());
  return ToDevice(QPoint(static_cast<int>(std::floor(physical.x())),
                         static_cast<int>(std::floor(physical.y()))),
                  scale_, screen.cx, screen.cy);
}

void DeviceWindow::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  buttonDown_ = true;
  Enqueue({DeviceInput::Type::MouseDown, DevicePoint(e->position()), 0});
}

void DeviceWindow::mouseMoveEvent(QMouseEvent* e) {
  // A stylus has no hover: only drags reach the device.
  if (!buttonDown_) return;
  Enqueue({DeviceInput::Type::MouseMove, DevicePoint(e->position()), 0});
}

void DeviceWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !buttonDown_) return;
  buttonDown_ = false;
  Enqueue({DeviceInput::Type::MouseUp, DevicePoint(e->position()), 0});
}

void DeviceWindow::keyPressEvent(QKeyEvent* e) {
  Enqueue(TranslateKeyPress(*e));
}

void DeviceWindow::keyReleaseEvent(QKeyEvent* e) {
  Enqueue(TranslateKeyRelease(*e));
}

void DeviceWindow::Enqueue(const DeviceInput& input) {
  queue_.push_back(input);
  if (waiting_ != nullptr) waiting_->quit();
}

void DeviceWindow::Enqueue(const std::vector<DeviceInput>& inputs) {
  for (const DeviceInput& input : inputs) Enqueue(input);
}

bool DeviceWindow::WaitForInput(std::optional<DWORD> timeoutMs) {
  if (queue_.empty() && !closing_) {
    if (dirty_) RenderNow();
    QCoreApplication::processEvents();  // whatever arrived while the tool was busy
  }
  if (queue_.empty() && !closing_ && idle_) idle_();
  if (queue_.empty() && !closing_) {
    if (timeoutMs && *timeoutMs == 0) {
      QCoreApplication::processEvents();
    } else {
      QEventLoop loop;
      QEventLoop* outer = waiting_;
      waiting_ = &loop;
      if (timeoutMs) QTimer::singleShot(static_cast<int>(*timeoutMs), &loop, &QEventLoop::quit);
      loop.exec();
      waiting_ = outer;
    }
  }
  // Deliver what is queued. Delivery itself never waits: the window system
  // only queues the messages, so the tool handles them after we return.
  while (!queue_.empty()) {
    const DeviceInput input = queue_.front();
    queue_.pop_front();
    Deliver(input);
  }
  if (closing_) RequestClose();
  return true;
}

void DeviceWindow::Deliver(const DeviceInput& input) {
  switch (input.type) {
    case DeviceInput::Type::MouseDown:
      platform::InjectMouseDown(ToPoint(input.pos));
      break;
    case DeviceInput::Type::MouseMove:
      platform::InjectMouseMove(ToPoint(input.pos));
      break;
    case DeviceInput::Type::MouseUp:
      platform::InjectMouseUp(ToPoint(input.pos));
      break;
    case DeviceInput::Type::KeyDown:
      platform::InjectKeyDown(input.key);
      break;
    case DeviceInput::Type::KeyUp:
      platform::InjectKeyUp(input.key);
      break;
    case DeviceInput::Type::Char:
      platform::InjectChar(static_cast<WCHAR>(input.key));
      break;
    case DeviceInput::Type::Rotate:
      Rotate();
      break;
    case DeviceInput::Type::Screenshot:
      SaveScreenshot();
      break;
    case DeviceInput::Type::Export:
      ExportSettings();
      break;
    case DeviceInput::Type::Close:
      closing_ = true;
      break;
  }
}

// One step of closing per wait: an open message box gets its OK first; once
// the tool waits again without one, the navigation bar's OK is pressed.
void DeviceWindow::RequestClose() {
  auto tap = [](HWND target) {
    const QPoint c = CentreOf(target);
    platform::InjectMouseDown(ToPoint(c));
    platform::InjectMouseUp(ToPoint(c));
  };
  if (HWND box = platform::ActiveMessageBox()) {
    if (HWND ok = MessageBoxOk(box)) {
      tap(ok);
    } else {
      PostMessage(box, WM_COMMAND, IDOK, 0);
    }
    return;
  }
  closing_ = false;
  HWND dialog = MainDialog();
  if (dialog == nullptr) return;
  if (HWND ok = platform::shell::OkButtonOf(dialog)) {
    tap(ok);
  } else {
    PostMessage(dialog, WM_COMMAND, IDOK, 0);
  }
}

void DeviceWindow::Rotate() {
  platform::RotateScreen();
  FitToScreen();
  if (HWND dialog = MainDialog()) {
    // Posted, not sent: the tool's answer (a message box) must run in its own
    // loop, not inside this delivery.
    PostMessage(dialog, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
  }
  dirty_ = true;
}

void DeviceWindow::SaveScreenshot() {
  const QString folder = outputFolder_.isEmpty() ? QDir::currentPath() : outputFolder_;
  const QString name = u"RegillaMobile-"_qs +
                       QDateTime::currentDateTime().toString(u"yyyyMMdd-hhmmss-zzz"_qs) +
                       u".png"_qs;
  const QString path = QDir(folder).filePath(name);
  const QImage shot = RenderScene(CaptureScene());
  const bool saved = shot.save(path, "PNG");
  Notice(saved ? "Screenshot saved to " + QDir::toNativeSeparators(path).toStdString()
               : "Could not save the screenshot to " + path.toStdString());
}

// What the store holds now: the tool applies through the registry, which is
// saved before every wait, so nothing unapplied is exported.
void DeviceWindow::ExportSettings() {
  const QString folder = outputFolder_.isEmpty() ? QDir::currentPath() : outputFolder_;
  const QString name = u"RegillaMobile-settings-"_qs +
                       QDateTime::currentDateTime().toString(u"yyyyMMdd-hhmmss"_qs) + u".cab"_qs;
  const QString path = QDir(folder).filePath(name);
  std::string error;
  Notice(provisioning::ExportSettings(path.toStdString(), error)
             ? "Settings exported to " + QDir::toNativeSeparators(path).toStdString()
             : error);
}

}  // namespace hostqt
