#include "platform/qt/QtTray.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QIcon>
#include <QMetaObject>
#include <utility>

#include "platform/qt/QtWindowParts.h"

namespace orbl::qt {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

// A menu picture: the 16-pixel bitmap and, for dense screens, its 32-pixel
// drawing.
QIcon MenuPicture(const std::string& image) {
  QIcon icon;
  for (const std::string& name : {image, image + "_32"}) {
    const QImage picture = ResourceImage(name);
    if (!picture.isNull()) icon.addPixmap(QPixmap::fromImage(picture));
  }
  return icon;
}

}  // namespace

QtTray::QtTray(QtWindowSystem& /*windows*/, Mode mode) : mode_(mode) {
  if (mode_ != Mode::Automatic) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  // Asked now, answered while the program sets up.
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcherService, QStringLiteral("/StatusNotifierWatcher"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  constexpr int kAnswerWithinMs = 1000;
  hostQuestion_ = bus.asyncCall(get, kAnswerWithinMs);
}

QtTray::~QtTray() = default;

// Qt picks one of the two ways once for the process, on a question of its own
// at the first icon; ours is asked once too, so that this half stays in step.
bool QtTray::StatusNotifierHostRegistered() {
  if (!hostQuestion_) return false;
  hostQuestion_->waitForFinished();
  const QDBusMessage reply = hostQuestion_->reply();
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool QtTray::AddIcon(platform::WindowHandle /*owner*/, const std::string& icon,
                     const std::string& tip, platform::TrayEvents events) {
  events_ = std::move(events);
  statusNotifier_ =
      mode_ == Mode::StatusNotifier || (mode_ == Mode::Automatic && StatusNotifierHostRegistered());
  if (!statusNotifier_ && !QSystemTrayIcon::isSystemTrayAvailable()) {
    WatchForHosts();
    return false;
  }
  if (!icon_) {
    icon_ = std::make_unique<QSystemTrayIcon>();
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) { OnActivated(reason); });
  }
  icon_->setIcon(ResourceIcon(icon));
  icon_->setToolTip(Shown(tip));
  icon_->setContextMenu(statusNotifier_ ? exported_.data() : nullptr);
  icon_->show();
  WatchForHosts();
  return true;
}

// A host that starts (again) wants the icon registered anew. Watched from the
// first AddIcon on, after the icon: the watch's round trip need not hold it up.
void QtTray::WatchForHosts() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (watcher_ || mode_ == Mode::XEmbed || !bus.isConnected()) return;
  watcher_ = std::make_unique<QDBusServiceWatcher>(kWatcherService, bus,
                                                   QDBusServiceWatcher::WatchForOwnerChange);
  QObject::connect(
      watcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged,
      [this](const QString& /*service*/, const QString& /*old*/, const QString& owner) {
        const auto onTaskbarCreated = events_.onTaskbarCreated;
        if (!owner.isEmpty() && onTaskbarCreated) onTaskbarCreated();
      });
}

bool QtTray::DeleteIcon() {
  if (!icon_ || !icon_->isVisible()) return false;
  icon_->hide();
  return true;
}

void QtTray::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  const platform::TrayEvents events = events_;  // a handler may add the icon again
  switch (reason) {
    case QSystemTrayIcon::Context:
      // A host of exported menus shows the menu itself.
      if (!statusNotifier_ && events.onRightButtonUp) events.onRightButtonUp();
      break;
    case QSystemTrayIcon::Trigger:
      // The only activation a StatusNotifierItem host reports.
      if (statusNotifier_ && events.onDoubleClick) events.onDoubleClick();
      break;
    case QSystemTrayIcon::DoubleClick:
      if (events.onDoubleClick) events.onDoubleClick();
      break;
    default:
      break;
  }
}

void QtTray::OnExportedMenuShowing() {
  admitted_ = false;
  const auto onRightButtonUp = events_.onRightButtonUp;
  if (onRightButtonUp) onRightButtonUp();
  if (!exported_) return;
  for (QAction* action : exported_->actions()) {
    if (!action->isSeparator()) action->setEnabled(admitted_);
  }
}

QMenu* QtTray::MenuOf(platform::MenuHandle menu) const {
  auto it = menus_.find(menu.value);
  return it == menus_.end() ? nullptr : it->second.data();
}

platform::MenuHandle QtTray::CreatePopupMenu() {
  auto menu = std::make_unique<QMenu>();
  QMenu* made = menu.get();
  topMenus_.push_back(std::move(menu));
  const std::uintptr_t handle = nextHandle_++;
  menus_[handle] = made;
  // Until the core shows another, its first menu is the one a host is given.
  if (!exported_) {
    exported_ = made;
    if (icon_ && statusNotifier_) icon_->setContextMenu(made);
  }
  QObject::connect(made, &QMenu::aboutToShow, [this, made] {
    if (statusNotifier_ && made == exported_) OnExportedMenuShowing();
  });
  return platform::MenuHandle{handle};
}

platform::MenuItemHandle QtTray::AddMenuItem(platform::MenuHandle menu, const std::string& text,
                                             std::function<void()> onChosen,
                                             const std::string& image) {
  QMenu* parent = MenuOf(menu);
  if (parent == nullptr) return {};
  QAction* action = parent->addAction(MenuPicture(image), Shown(text));
  // Run once the menu has closed, as the command a menu sends its owner.
  QObject::connect(action, &QAction::triggered, [onChosen = std::move(onChosen)] {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [onChosen] {
          if (onChosen) onChosen();
        },
        Qt::QueuedConnection);
  });
  const std::uintptr_t handle = nextHandle_++;
  items_[handle] = action;
  return platform::MenuItemHandle{handle};
}

platform::MenuHandle QtTray::AddSubMenu(platform::MenuHandle menu, const std::string& text,
                                        const std::string& image) {
  QMenu* parent = MenuOf(menu);
  if (parent == nullptr) return {};
  QMenu* sub = parent->addMenu(MenuPicture(image), Shown(text));
  const std::uintptr_t handle = nextHandle_++;
  menus_[handle] = sub;
  return platform::MenuHandle{handle};
}

void QtTray::AddSeparator(platform::MenuHandle menu) {
  if (QMenu* parent = MenuOf(menu)) parent->addSeparator();
}

void QtTray::SetMenuItemText(platform::MenuHandle /*menu*/, platform::MenuItemHandle item,
                             const std::string& text) {
  auto it = items_.find(item.value);
  if (it != items_.end() && !it->second.isNull()) it->second->setText(Shown(text));
}

void QtTray::SetSubMenuText(platform::MenuHandle /*menu*/, platform::MenuHandle subMenu,
                            const std::string& text) {
  if (QMenu* sub = MenuOf(subMenu)) sub->setTitle(Shown(text));
}

void QtTray::TrackPopupMenu(platform::MenuHandle menu, platform::Point at,
                            platform::WindowHandle /*owner*/) {
  QMenu* shown = MenuOf(menu);
  if (shown == nullptr) return;
  if (statusNotifier_) {
    // The host shows the menu; the core's call says it may.
    admitted_ = true;
    if (shown != exported_) {
      exported_ = shown;
      if (icon_) icon_->setContextMenu(shown);
    }
    return;
  }
  shown->exec(QPoint(at.x, at.y));
}

platform::Point QtTray::CursorPos() const {
  const QPoint at = QCursor::pos();
  return {at.x(), at.y()};
}

}  // namespace orbl::qt
