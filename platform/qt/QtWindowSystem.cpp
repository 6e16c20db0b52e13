#include "platform/qt/QtWindowSystem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/qt/QtWindowParts.h"

// The pictures live in this library; a program linking it statically must
// register them itself.
static void RegisterPictures() {
  Q_INIT_RESOURCE(orbl3);
}

namespace orbl::qt {

namespace {

namespace msg = platform::msg;
namespace mb = platform::mb;

// The font the core's layout was drawn for (the dialogs' font of Windows at
// 96 dpi): its line height and the average width of a letter, in pixels.
constexpr double kLayoutLineHeight = 16.0;
constexpr double kLayoutLetterWidth = 6.2;

double LayoutScaleFor(const QFont& font) {
  const QFontMetricsF metrics(font);
  const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const double width = metrics.horizontalAdvance(letters) / static_cast<double>(letters.size());
  return std::max({1.0, metrics.height() / kLayoutLineHeight, width / kLayoutLetterWidth});
}

// Windows' smallest timer period; a zero period would spin.
constexpr std::uint32_t kShortestTimerMs = 10;

// MessageBoxA's buttons (the low four bits of its flags) and answers.
constexpr std::uint32_t kButtonsMask = 0xF;
constexpr std::uint32_t kIconMask = 0xF0;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

struct BoxButton {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<BoxButton> ButtonsOf(std::uint32_t flags) {
  using B = QMessageBox;
  switch (flags & kButtonsMask) {
    case 1:
      return {{B::Ok, mb::kIdOk}, {B::Cancel, mb::kIdCancel}};
    case 2:
      return {{B::Abort, kIdAbort}, {B::Retry, kIdRetry}, {B::Ignore, kIdIgnore}};
    case 3:
      return {{B::Yes, kIdYes}, {B::No, kIdNo}, {B::Cancel, mb::kIdCancel}};
    case 4:
      return {{B::Yes, kIdYes}, {B::No, kIdNo}};
    case 5:
      return {{B::Retry, kIdRetry}, {B::Cancel, mb::kIdCancel}};
    default:
      return {{B::Ok, mb::kIdOk}};
  }
}

QMessageBox::Icon IconOf(std::uint32_t flags) {
  switch (flags & kIconMask) {
    case mb::kIconHand:
      return QMessageBox::Critical;
    case 0x20:  // MB_ICONQUESTION
      return QMessageBox::Question;
    case mb::kIconExclamation:
      return QMessageBox::Warning;
    case mb::kIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

// --- posted messages and the window widget ---------------------------------

MessageEvent::MessageEvent(std::uint32_t code, std::uint64_t wParam, std::int64_t lParam,
                           std::shared_ptr<const std::vector<std::byte>> data)
    : QEvent(Type()), code_(code), wParam_(wParam), lParam_(lParam), data_(std::move(data)) {}

QEvent::Type MessageEvent::Type() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

platform::Message MessageEvent::ToMessage() const {
  platform::Message message{code_, wParam_, lParam_, {}};
  if (data_) message.data = std::span<const std::byte>(data_->data(), data_->size());
  return message;
}

bool TopWidget::event(QEvent* event) {
  if (event->type() == MessageEvent::Type()) {
    QtWindowSystem::Deliver(window_, static_cast<MessageEvent*>(event)->ToMessage());
    return true;
  }
  return QWidget::event(event);
}

// The close box asks as Windows' does: the system command first, then the
// close request it turns into.
void TopWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  QtWindowSystem::Deliver(window_, {msg::kSysCommand, msg::kScClose, 0, {}});
}

void TopWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window coming back from the task bar was visible all along.
  if (event->spontaneous() || !window_.ready) return;
  const auto onVisibleChanged = window_.events.onVisibleChanged;
  if (onVisibleChanged) onVisibleChanged(true);
}

void TopWidget::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous() || !window_.ready) return;
  if (window_.modalLoop != nullptr) window_.modalLoop->exit();
  const auto onVisibleChanged = window_.events.onVisibleChanged;
  if (onVisibleChanged) onVisibleChanged(false);
}

// A plain widget has no dialog keys: Esc presses the cancel button, else it
// is the close box; Enter presses the focused push button, else the default one.
void TopWidget::keyPressEvent(QKeyEvent* event) {
  const auto pressable = [](const QtWindowSystem::Control& c) {
    return c.widget != nullptr && !c.widget->isHidden() && c.widget->isEnabled();
  };
  if (event->key() == Qt::Key_Escape) {
    for (const auto& control : window_.controls) {
      if (!control->params.cancelButton) continue;
      if (pressable(*control)) static_cast<QAbstractButton*>(control->widget)->click();
      return;
    }
    const auto onCloseRequest = window_.events.onCloseRequest;
    if (onCloseRequest) onCloseRequest();
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
      focused->click();
      return;
    }
    for (const auto& control : window_.controls) {
      if (control->params.defaultButton && pressable(*control)) {
        static_cast<QAbstractButton*>(control->widget)->click();
        return;
      }
    }
  }
  QWidget::keyPressEvent(event);
}

void TopWidget::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
  const auto onDoubleClick = window_.events.onDoubleClick;
  if (onDoubleClick) onDoubleClick();
}

// Minimising is the system command it is on Windows; a program that takes it
// keeps the window as it was.
void TopWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !isMinimized() || !window_.ready) return;
  const auto onMessage = window_.events.onMessage;
  if (onMessage && onMessage({msg::kSysCommand, msg::kScMinimize, 0, {}})) {
    setWindowState(windowState() & ~Qt::WindowMinimized);
  }
}

// --- the system --------------------------------------------------------------

QtWindowSystem::QtWindowSystem() {
  RegisterPictures();
  // The program lives in the tray: closing its last box must not end it.
  QApplication::setQuitOnLastWindowClosed(false);
}

double QtWindowSystem::LayoutScale() const {
  if (scale_ == 0.0) scale_ = LayoutScaleFor(QApplication::font());
  return scale_;
}

QtWindowSystem::~QtWindowSystem() {
  for (auto& [handle, timer] : timers_) delete timer.data();
  // Widgets going away report being hidden; the program may be gone already.
  for (auto& [handle, window] : windows_) window->ready = false;
}

void QtWindowSystem::Deliver(Window& window, const platform::Message& message) {
  if (!window.ready) return;
  const auto onMessage = window.events.onMessage;  // a copy: handlers run long
  if (onMessage && onMessage(message)) return;
  if (message.code == msg::kClose) {
    const auto onCloseRequest = window.events.onCloseRequest;
    if (onCloseRequest) onCloseRequest();
  } else if (message.code == msg::kSysCommand && (message.wParam & 0xFFF0) == msg::kScClose) {
    Deliver(window, {msg::kClose, 0, 0, {}});
  }
}

QtWindowSystem::Window* QtWindowSystem::WindowOf(platform::WindowHandle handle) const {
  auto it = windows_.find(handle.value);
  return it == windows_.end() ? nullptr : it->second.get();
}

QWidget* QtWindowSystem::Widget(platform::WindowHandle window) const {
  Window* w = WindowOf(window);
  return w == nullptr ? nullptr : w->widget.get();
}

void QtWindowSystem::SendToAll(const platform::Message& message) {
  std::vector<std::uintptr_t> handles;
  for (const auto& [handle, window] : windows_) handles.push_back(handle);
  for (std::uintptr_t handle : handles) {
    if (Window* window = WindowOf(platform::WindowHandle{handle})) Deliver(*window, message);
  }
}

void QtWindowSystem::PostToAll(std::uint32_t code, std::uint64_t wParam, std::int64_t lParam,
                               std::vector<std::byte> data) {
  auto shared = std::make_shared<const std::vector<std::byte>>(std::move(data));
  for (const auto& [handle, window] : windows_) PostTo(*window, code, wParam, lParam, shared);
}

platform::WindowHandle QtWindowSystem::ApplicationWindow() const {
  return windows_.empty() ? platform::WindowHandle{}
                          : platform::WindowHandle{windows_.begin()->first};
}

void QtWindowSystem::SetShutdownBlockProbe(std::function<bool()> probe) {
  shutdownProbe_ = std::move(probe);
}

platform::WindowHandle QtWindowSystem::CreateTopWindow(const platform::WindowParams& params,
                                                       platform::WindowEvents events) {
  auto window = std::make_unique<Window>();
  window->handle = nextWindow_++;
  window->events = std::move(events);
  window->title = params.title;
  window->widget = std::make_unique<TopWidget>(*window);
  TopWidget& widget = *window->widget;
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (params.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (params.maximizeBox) flags |= Qt::WindowMaximizeButtonHint;
  if (params.topmost) flags |= Qt::WindowStaysOnTopHint;
  widget.setWindowFlags(flags);
  widget.setWindowTitle(Shown(params.title));
  window->clientWidth = params.clientWidth;
  window->clientHeight = params.clientHeight;
  window->centered = params.centered;
  window->icon = params.icon;
  Window& made = *window;
  windows_[made.handle] = std::move(window);
  made.ready = true;
  return platform::WindowHandle{made.handle};
}

void QtWindowSystem::SetWindowTitle(platform::WindowHandle window, const std::string& title) {
  if (Window* w = WindowOf(window)) {
    w->title = title;
    w->widget->setWindowTitle(Shown(title));
  }
}

std::string QtWindowSystem::WindowTitle(platform::WindowHandle window) const {
  const Window* w = WindowOf(window);
  return w == nullptr ? std::string() : w->title;
}

void QtWindowSystem::ShowWindow(platform::WindowHandle window, bool visible) {
  Window* w = WindowOf(window);
  if (w == nullptr) return;
  if (visible) BuildWindow(*w);
  w->widget->setVisible(visible);
}

bool QtWindowSystem::IsWindowVisible(platform::WindowHandle window) const {
  const Window* w = WindowOf(window);
  return w != nullptr && w->widget->isVisible();
}

void QtWindowSystem::EnableWindow(platform::WindowHandle window, bool enabled) {
  if (Window* w = WindowOf(window)) w->widget->setEnabled(enabled);
}

bool QtWindowSystem::IsWindowEnabled(platform::WindowHandle window) const {
  const Window* w = WindowOf(window);
  return w != nullptr && w->widget->isEnabled();
}

void QtWindowSystem::SetForegroundWindow(platform::WindowHandle window) {
  Window* w = WindowOf(window);
  if (w == nullptr || !w->widget->isVisible()) return;
  w->widget->raise();
  w->widget->activateWindow();
}

void QtWindowSystem::RemoveSystemMenuItems(platform::WindowHandle window) {
  Window* w = WindowOf(window);
  if (w == nullptr) return;
  QWidget& widget = *w->widget;
  const bool visible = widget.isVisible();
  // New flags take effect when the window is shown again.
  widget.setWindowFlags(widget.windowFlags() &
                        ~(Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint));
  if (visible) widget.show();
}

void QtWindowSystem::ShowModal(platform::WindowHandle window) {
  Window* w = WindowOf(window);
  if (w == nullptr) return;
  BuildWindow(*w);
  QWidget* modal = w->widget.get();
  std::vector<QPointer<QWidget>> disabled;
  // The program's windows and boxes; not the tray icon's own window, nor a menu.
  for (QWidget* top : QApplication::topLevelWidgets()) {
    const bool ours =
        dynamic_cast<TopWidget*>(top) != nullptr || qobject_cast<QDialog*>(top) != nullptr;
    if (ours && top != modal && top->isVisible() && top->isEnabled()) disabled.emplace_back(top);
  }
  const QPointer<QWidget> previousActive = QApplication::activeWindow();
  QEventLoop loop;
  QEventLoop* outer = std::exchange(w->modalLoop, &loop);
  modal->show();
  for (QWidget* top : disabled) top->setEnabled(false);
  modal->raise();
  modal->activateWindow();
  // Keys typed on reach the default button, not whichever control comes first.
  for (const auto& control : w->controls) {
    if (control->params.defaultButton) control->widget->setFocus();
  }
  // Showing may have run callbacks that hid it again.
  if (modal->isVisible()) loop.exec();
  // The window may be gone with the system's end; its record is not.
  if (WindowOf(window) == w) w->modalLoop = outer;
  for (const QPointer<QWidget>& top : disabled) {
    if (top) top->setEnabled(true);
  }
  if (previousActive && previousActive != modal && previousActive->isVisible() &&
      previousActive->isEnabled()) {
    previousActive->activateWindow();
  }
}

// --- timers, boxes, loops ----------------------------------------------------

platform::TimerHandle QtWindowSystem::StartTimer(platform::WindowHandle /*owner*/,
                                                 std::uint32_t intervalMs,
                                                 std::function<void()> onTick) {
  const std::uintptr_t id = nextTimer_++;
  auto* timer = new QTimer();  // NOLINT(cppcoreguidelines-owning-memory): see StopTimer
  timer->setTimerType(Qt::PreciseTimer);
  timer->setInterval(
      static_cast<int>(std::clamp<std::uint32_t>(intervalMs, kShortestTimerMs, INT_MAX)));
  QObject::connect(timer, &QTimer::timeout, [onTick = std::move(onTick)] {
    const std::function<void()> tick = onTick;  // the tick may stop its own timer
    if (tick) tick();
  });
  timer->start();
  timers_[id] = timer;
  return platform::TimerHandle{id};
}

void QtWindowSystem::StopTimer(platform::TimerHandle timer) {
  auto it = timers_.find(timer.value);
  if (it == timers_.end()) return;
  if (QTimer* t = it->second.data()) {
    t->stop();
    // It may be the one whose tick runs now.
    t->deleteLater();
  }
  timers_.erase(it);
}

int QtWindowSystem::RunBox(platform::WindowHandle owner, const std::string& text,
                           const std::string& caption, std::uint32_t flags,
                           std::uint32_t timeoutMs) const {
  const std::vector<BoxButton> buttons = ButtonsOf(flags);
  // Closing the box is its Cancel, or its OK where it has no Cancel.
  const bool hasCancel = std::any_of(buttons.begin(), buttons.end(),
                                     [](const BoxButton& b) { return b.answer == mb::kIdCancel; });
  const int closed = hasCancel || buttons.front().answer != mb::kIdOk ? mb::kIdCancel : mb::kIdOk;
  // A command typed where there is no display: nobody could see or answer a
  // box, so its text goes to the terminal and it is closed at once.
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
    std::fputs(("orbl3: " + Shown(text).toStdString() + "\n").c_str(), stderr);
    return closed;
  }
  QWidget* parent = Widget(owner);
  if (parent != nullptr && !parent->isVisible()) parent = nullptr;
  QMessageBox box(IconOf(flags), Shown(caption), Shown(text), QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  if ((flags & (mb::kTopmost | mb::kSetForeground)) != 0) {
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
  }
  std::vector<std::pair<QAbstractButton*, int>> answers;
  QAbstractButton* ok = nullptr;
  for (const BoxButton& b : buttons) {
    QAbstractButton* button = box.addButton(b.button);
    answers.emplace_back(button, b.answer);
    if (b.answer == mb::kIdOk) ok = button;
  }
  QTimer timeout;
  if (timeoutMs > 0 && ok != nullptr) {
    timeout.setSingleShot(true);
    timeout.setTimerType(Qt::PreciseTimer);
    timeout.setInterval(static_cast<int>(std::min<std::uint32_t>(timeoutMs, INT_MAX)));
    QObject::connect(&timeout, &QTimer::timeout, ok, &QAbstractButton::click);
    timeout.start();
  }
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (const auto& [button, answer] : answers) {
    if (button == clicked) return answer;
  }
  return closed;
}

int QtWindowSystem::ShowMessageBox(platform::WindowHandle owner, const std::string& text,
                                   const std::string& caption, std::uint32_t flags) {
  return RunBox(owner, text, caption, flags, 0);
}

int QtWindowSystem::ShowTimedMessageBox(platform::WindowHandle owner, const std::string& text,
                                        const std::string& caption, std::uint32_t flags,
                                        std::uint32_t timeoutMs) {
  return RunBox(owner, text, caption, flags, timeoutMs == 0 ? 1 : timeoutMs);
}

bool QtWindowSystem::BlockShutdown(platform::WindowHandle window, const std::string& /*reason*/) {
  if (!shutdownProbe_ || !shutdownProbe_()) return false;
  blocked_.insert(window.value);
  return true;
}

bool QtWindowSystem::UnblockShutdown(platform::WindowHandle window) {
  return blocked_.erase(window.value) != 0;
}

// Messages reach the program posted, never sent by another thread.
bool QtWindowSystem::ReplyToSender() {
  return false;
}

void QtWindowSystem::PostTo(Window& window, std::uint32_t code, std::uint64_t wParam,
                            std::int64_t lParam,
                            std::shared_ptr<const std::vector<std::byte>> data) {
  QCoreApplication::postEvent(window.widget.get(),
                              new MessageEvent(code, wParam, lParam, std::move(data)));
}

bool QtWindowSystem::Post(platform::WindowHandle window, std::uint32_t code, std::uint64_t wParam,
                          std::int64_t lParam) {
  Window* w = WindowOf(window);
  if (w == nullptr) return false;
  PostTo(*w, code, wParam, lParam, nullptr);
  return true;
}

void QtWindowSystem::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtWindowSystem::RunLoop() {
  // The program ends through its own exit; should the loop end first, so does it.
  std::exit(QApplication::exec());
}

}  // namespace orbl::qt
