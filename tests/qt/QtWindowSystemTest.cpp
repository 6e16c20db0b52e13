// The Qt backend under the window system's contract, and what only it has:
// the core's bytes on a UTF-8 desktop, the dialog keys of a plain window, and
// the tray's two ways of showing its menu. Runs on a private display
// (run-with-display.sh).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/QtSystem.h"
#include "platform/qt/QtTray.h"
#include "platform/qt/QtWindowParts.h"
#include "platform/qt/QtWindowSystem.h"
#include "tests/contract/WindowSystemContract.h"

namespace orbl::qt {
namespace {

using platform::ControlKind;
namespace msg = platform::msg;
namespace mb = platform::mb;

// The user acts through the event queue, behind what the program posted;
// an answer to a box is tried again until its box is the innermost one.
class QtBackend final : public contract::Backend {
 public:
  QtBackend() {
    retry_.setInterval(10);
    QObject::connect(&retry_, &QTimer::timeout, [this] {
      while (!requests_.empty() && requests_.front()()) requests_.pop_front();
      if (requests_.empty()) retry_.stop();
    });
  }
  void Run(const std::function<void(platform::WindowSystem&)>& program) override {
    program(windows);
  }
  void AnswerBox(const std::string& caption, int answer) override {
    requests_.emplace_back([caption, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box->windowTitle().toStdString() != caption) return false;
      const auto wanted = answer == mb::kIdOk ? QMessageBox::Ok : QMessageBox::Cancel;
      box->button(wanted)->click();
      return true;
    });
    retry_.start();
  }
  void Click(platform::ControlHandle control) override {
    auto* button = qobject_cast<QAbstractButton*>(windows.ControlWidget(control));
    ASSERT_NE(button, nullptr);
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
  }
  void CloseBox(platform::WindowHandle window) override {
    QMetaObject::invokeMethod(windows.Widget(window), &QWidget::close, Qt::QueuedConnection);
  }
  // No other program sends to a Qt window: it posts.
  void SendFromOutside(platform::WindowHandle window, std::uint32_t code) override {
    windows.Post(window, code, 0, 0);
  }
  bool Sends() const override { return false; }

  QtWindowSystem windows;

 private:
  QTimer retry_;
  std::deque<std::function<bool()>> requests_;
};

std::unique_ptr<contract::Backend> MakeQtBackend() {
  return std::make_unique<QtBackend>();
}

using contract::WindowSystemContract;
INSTANTIATE_TEST_SUITE_P(Qt, WindowSystemContract, ::testing::Values(&MakeQtBackend),
                         [](const auto&) { return std::string("qt"); });

void PressKey(QWidget* widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
}

// The shipped language files are Windows-1252 with CRLF; the core's own texts
// UTF-8. Either shows as its characters and reads back as the core's bytes.
TEST(QtWindowSystem, ShowsTheCoresBytesAsTextAndGivesThemBackUnchanged) {
  QtWindowSystem ws;
  const std::string cp1252 =
      "Gr\xF6\xDF"
      "e \x96 \x80 & mehr\r\nZeile";
  const std::string utf8 =
      "Gr\xC3\xB6\xC3\x9F"
      "e";
  platform::WindowParams titled;
  titled.title = cp1252;
  const platform::WindowHandle window = ws.CreateTopWindow(titled, {});
  platform::ControlParams params;
  params.kind = ControlKind::Label;
  params.text = cp1252;
  const platform::ControlHandle label = ws.CreateControl(window, params, {});
  params.kind = ControlKind::CheckBox;
  const platform::ControlHandle box = ws.CreateControl(window, params, {});
  params.kind = ControlKind::DropDownList;
  const platform::ControlHandle drop = ws.CreateControl(window, params, {});
  ws.AddItem(drop, utf8);
  ws.AddItem(drop, cp1252);
  ws.SetSelection(drop, 0);

  const QString shown = QString::fromUtf8(
      "Gr\xC3\xB6\xC3\x9F"
      "e \xE2\x80\x93 \xE2\x82\xAC & mehr\nZeile");
  EXPECT_EQ(ws.Widget(window)->windowTitle(), shown);
  EXPECT_EQ(static_cast<QLabel*>(ws.ControlWidget(label))->text(), shown);
  EXPECT_EQ(static_cast<QCheckBox*>(ws.ControlWidget(box))->text(),
            QString(shown).replace("&", "&&"))
      << "an ampersand is no access key";
  EXPECT_EQ(ws.WindowTitle(window), cp1252);
  EXPECT_EQ(ws.ControlText(label), cp1252);
  EXPECT_EQ(ws.ControlText(box), cp1252);
  EXPECT_EQ(ws.Items(drop), (std::vector<std::string>{utf8, cp1252}));
  EXPECT_EQ(ws.ControlText(drop), utf8) << "its entry, not what it was made with";
}

// A hidden window's controls are records only; its widgets are made at its
// first showing from what the program set, and then follow the user.
TEST(QtWindowSystem, MakesAWindowsControlsAtItsFirstShowingFromWhatWasSet) {
  QtWindowSystem ws;
  platform::WindowParams sized;
  sized.clientWidth = 300;
  sized.clientHeight = 200;
  sized.icon = "TRAY";
  const platform::WindowHandle window = ws.CreateTopWindow(sized, {});
  const auto make = [&](ControlKind kind, platform::ControlEvents events = {}) {
    platform::ControlParams params;
    params.kind = kind;
    params.maximum = 10;
    return ws.CreateControl(window, params, std::move(events));
  };
  const platform::ControlHandle box = make(ControlKind::CheckBox);
  const platform::ControlHandle list = make(ControlKind::List);
  const platform::ControlHandle drop = make(ControlKind::DropDownList);
  const platform::ControlHandle field = make(ControlKind::NumberField);
  const platform::ControlHandle hidden = make(ControlKind::Label);
  std::vector<int> picked;
  platform::ControlEvents barEvents;
  barEvents.onSelect = [&picked](int index) { picked.push_back(index); };
  const platform::ControlHandle bar = make(ControlKind::ButtonBar, barEvents);
  ws.SetChecked(box, true);
  for (const char* item : {"a", "b", "c"}) ws.AddItem(list, item);
  ws.SetSelection(list, 1);
  ws.AddItem(drop, "x");
  ws.SetArrowPosition(field, 7);
  ws.SetControlVisible(hidden, false);
  ws.AddBarButton(bar, "one", -1);
  ws.AddBarSeparator(bar);
  ws.AddBarButton(bar, "two", -1);
  EXPECT_TRUE(ws.Widget(window)->findChildren<QWidget*>().isEmpty());
  EXPECT_TRUE(ws.Widget(window)->windowIcon().isNull());

  ws.ShowWindow(window, true);
  EXPECT_FALSE(ws.Widget(window)->windowIcon().isNull());
  EXPECT_TRUE(static_cast<QCheckBox*>(ws.ControlWidget(box))->isChecked());
  EXPECT_EQ(static_cast<QListWidget*>(ws.ControlWidget(list))->currentRow(), 1);
  EXPECT_EQ(static_cast<QComboBox*>(ws.ControlWidget(drop))->currentIndex(), -1);
  EXPECT_EQ(static_cast<QAbstractSpinBox*>(ws.ControlWidget(field))->text(), "7");
  EXPECT_TRUE(ws.ControlWidget(hidden)->isHidden());
  const auto buttons = ws.ControlWidget(bar)->findChildren<QToolButton*>();
  ASSERT_EQ(buttons.size(), 2);
  buttons[1]->click();
  EXPECT_EQ(picked, std::vector<int>{2});

  static_cast<QCheckBox*>(ws.ControlWidget(box))->click();
  static_cast<QListWidget*>(ws.ControlWidget(list))->setCurrentRow(2);
  ws.ClearItems(drop);
  ws.AddItem(drop, "y");
  ws.SetArrowPosition(field, 3);
  EXPECT_FALSE(ws.IsChecked(box));
  EXPECT_EQ(ws.Selection(list), 2);
  EXPECT_EQ(static_cast<QComboBox*>(ws.ControlWidget(drop))->currentIndex(), -1);
  EXPECT_EQ(static_cast<QAbstractSpinBox*>(ws.ControlWidget(field))->text(), "3");
}

// The program's icons are read without the image format plugins: each size
// as the plugin reads it, and nothing from bytes cut short (the last one
// within its colours, not its unread mask) or of other kinds.
TEST(QtWindowSystem, ReadsTheProgramsIconsAsTheImageFormatPluginDoes) {
  const auto bytesOf = [](const char* name) {
    QFile file(QStringLiteral(":/pictures/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray icon = bytesOf("TRAY");
  const std::vector<QImage> images = Ico32Images(icon);
  QImageReader reader(QStringLiteral(":/pictures/TRAY"), "ico");
  ASSERT_EQ(static_cast<int>(images.size()), reader.imageCount());
  for (const QImage& image : images) {
    const QImage expected = reader.read();
    EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32_Premultiplied),
              expected.convertToFormat(QImage::Format_ARGB32_Premultiplied))
        << image.width();
    reader.jumpToNextImage();
  }
  for (const qsizetype size : {qsizetype{5}, qsizetype{60}, qsizetype{200}, icon.size() - 600}) {
    EXPECT_TRUE(Ico32Images(icon.first(size)).empty()) << size;
  }
  EXPECT_TRUE(Ico32Images(bytesOf("FRMMAIN_N16_BMP_BITMAP_32")).empty());
}

// A plain window has no dialog keys of its own. A posted close goes through
// onMessage first, as WM_CLOSE does; a message to no window is refused.
TEST(QtWindowSystem, EscEnterAndAPostedCloseReachWhatTheWindowSays) {
  QtWindowSystem ws;
  std::vector<std::string> seen;
  const auto make = [&](bool withCancel) {
    platform::WindowEvents events;
    events.onCloseRequest = [&] { seen.push_back("close"); };
    events.onMessage = [&](const platform::Message& m) {
      if (m.code == msg::kClose) seen.push_back("message");
      return false;
    };
    const platform::WindowHandle window = ws.CreateTopWindow({}, events);
    platform::ControlParams params;
    params.kind = ControlKind::Button;
    params.defaultButton = true;
    platform::ControlEvents ok;
    ok.onClick = [&] { seen.push_back("ok"); };
    ws.CreateControl(window, params, ok);
    if (withCancel) {
      params.defaultButton = false;
      params.cancelButton = true;
      platform::ControlEvents cancel;
      cancel.onClick = [&] { seen.push_back("cancel"); };
      ws.CreateControl(window, params, cancel);
    }
    ws.ShowWindow(window, true);
    return window;
  };
  const platform::WindowHandle plain = make(false);
  const platform::WindowHandle dialog = make(true);
  PressKey(ws.Widget(plain), Qt::Key_Escape);
  PressKey(ws.Widget(dialog), Qt::Key_Escape);
  PressKey(ws.Widget(dialog), Qt::Key_Return);
  EXPECT_EQ(seen, (std::vector<std::string>{"close", "cancel", "ok"}));
  seen.clear();
  EXPECT_TRUE(ws.Post(plain, msg::kClose, 0, 0));
  EXPECT_FALSE(ws.Post(platform::WindowHandle{999}, msg::kClose, 0, 0));
  ws.ProcessMessages();
  EXPECT_EQ(seen, (std::vector<std::string>{"message", "close"}));
  ws.ShowWindow(plain, false);
  ws.ShowWindow(dialog, false);
}

// Broadcasts reach every window in the order they were made; the posted one
// later, with its bytes still there.
TEST(QtWindowSystem, SystemMessagesGoToEveryWindowNowOrLater) {
  QtWindowSystem ws;
  std::vector<int> order;
  std::vector<std::byte> bytes;
  for (int i = 0; i < 3; ++i) {
    platform::WindowEvents events;
    events.onMessage = [&, i](const platform::Message& m) {
      order.push_back(i);
      bytes.assign(m.data.begin(), m.data.end());
      return true;
    };
    ws.CreateTopWindow({}, events);
  }
  EXPECT_EQ(ws.ApplicationWindow(), platform::WindowHandle{1});
  ws.SendToAll({msg::kQueryEndSession, 0, 0, {}});
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  order.clear();
  ws.PostToAll(msg::kDeviceChange, msg::kDbtDeviceRemoveComplete, 1,
               {std::byte{12}, std::byte{0}, std::byte{2}});
  EXPECT_TRUE(order.empty());
  ws.ProcessMessages();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(bytes.size(), 3u);
  bool blocking = false;
  EXPECT_FALSE(ws.BlockShutdown(ws.ApplicationWindow(), "r")) << "no probe: never";
  ws.SetShutdownBlockProbe([&] { return blocking; });
  blocking = true;
  EXPECT_TRUE(ws.BlockShutdown(ws.ApplicationWindow(), "r"));
  EXPECT_TRUE(ws.UnblockShutdown(ws.ApplicationWindow()));
  EXPECT_FALSE(ws.UnblockShutdown(ws.ApplicationWindow()));
}

// A host of exported menus shows the menu itself: while the program refuses
// (it does not call TrackPopupMenu), the items are there but disabled. A
// chosen item runs after the menu has closed. A host that starts (again) is
// the program's to hear of, as a restarted taskbar is on Windows.
TEST(QtTray, TheExportedMenuFollowsTheProgramsAnswerAndTheIconsClicksMapByMode) {
  QtWindowSystem ws;
  for (const auto mode : {QtTray::Mode::StatusNotifier, QtTray::Mode::XEmbed}) {
    const bool exported = mode == QtTray::Mode::StatusNotifier;
    SCOPED_TRACE(exported ? "StatusNotifier" : "XEmbed");
    QtTray tray(ws, mode);
    bool admit = false;
    int chosen = 0;
    std::vector<std::string> clicks;
    const platform::MenuHandle menu = tray.CreatePopupMenu();
    platform::TrayEvents events;
    events.onRightButtonUp = [&] {
      clicks.push_back("right");
      if (admit && exported) tray.TrackPopupMenu(menu, {0, 0}, {});
    };
    events.onDoubleClick = [&] { clicks.push_back("double"); };
    QEventLoop hostStarted;
    events.onTaskbarCreated = [&] {
      clicks.push_back("host");
      hostStarted.quit();
    };
    EXPECT_EQ(tray.AddIcon({}, "TRAY", "tip", events), exported) << "no XEmbed host here";
    const platform::MenuHandle sub = tray.AddSubMenu(menu, "Open");
    tray.AddMenuItem(sub, "D:", [] {});
    tray.AddSeparator(menu);
    tray.AddMenuItem(menu, "Exit", [&] { ++chosen; });
    if (!exported) continue;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    ASSERT_TRUE(QDBusConnection::sessionBus().registerService(watcher));
    QTimer::singleShot(5000, &hostStarted, &QEventLoop::quit);
    hostStarted.exec();
    QDBusConnection::sessionBus().unregisterService(watcher);
    EXPECT_EQ(clicks, std::vector<std::string>{"host"});
    clicks.clear();
    QMenu* shown = tray.ExportedMenu();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(tray.Icon()->contextMenu(), shown);
    const auto enabled = [&] {
      std::vector<bool> states;
      for (QAction* action : shown->actions()) states.push_back(action->isEnabled());
      return states;
    };
    emit shown->aboutToShow();
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, false})) << "refused";
    admit = true;
    emit shown->aboutToShow();
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, true}));
    shown->actions().back()->trigger();
    EXPECT_EQ(chosen, 0) << "the menu is still closing";
    ws.ProcessMessages();
    EXPECT_EQ(chosen, 1);
    admit = false;
    emit shown->aboutToShow();
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, false})) << "refused again";
    for (auto reason : {QSystemTrayIcon::Context, QSystemTrayIcon::Trigger,
                        QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick}) {
      emit tray.Icon()->activated(reason);
    }
    EXPECT_EQ(clicks, (std::vector<std::string>{"right", "right", "right", "double", "double"}));
  }
}

// An address goes to the desktop as it is; a path as a file, whatever it holds.
TEST(QtShell, HandsOverAddressesAsTheyAreAndPathsAsFiles) {
  EXPECT_EQ(QtShell::AddressOf("https://www.example.com/orbelle/"),
            "https://www.example.com/orbelle/");
  EXPECT_EQ(QtShell::AddressOf("mailto:someone@example.com"), "mailto:someone@example.com");
  EXPECT_EQ(QtShell::AddressOf("/usr/share/orbelle/help 100%#1.html"),
            "file:///usr/share/orbelle/help 100%25%231.html");
  EXPECT_EQ(QtShell::AddressOf("/opt/a:b/help.html"), "file:///opt/a:b/help.html");
}

}  // namespace
}  // namespace orbl::qt

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
