// What QtWindowSystem's two files share: its window and control records and
// the widgets that report the user's input in the core's terms.
#pragma once

#include <QAbstractSpinBox>
#include <QEvent>
#include <QEventLoop>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/QtWindowSystem.h"

class QAbstractButton;

namespace orbl::qt {

// The core's bytes as the desktop shows them.
QString Shown(const std::string& text);
// A 32-bit bitmap of the program's resources with its straight alpha kept (a
// plain reader drops it), else whatever the image readers make of it.
QImage ResourceImage(const std::string& name);
// An icon of the program's resources in all its sizes; null when there is none.
QIcon ResourceIcon(const std::string& name);
// The images of an ICO file whose every image is a 32-bit bitmap with alpha;
// empty for any other file and for bytes that end early.
std::vector<QImage> Ico32Images(const QByteArray& bytes);

struct QtWindowSystem::Control {
  std::uintptr_t handle = 0;
  platform::ControlParams params;
  platform::ControlEvents events;
  QtWindowSystem::Window* window = nullptr;
  // What the program set, as it set it; the user changes none of it.
  std::string text;
  std::vector<std::string> items;
  bool visible = true;
  bool highlighted = false;
  // ButtonBar: a caption and picture per index; a gap has neither.
  struct BarEntry {
    bool gap = false;
    std::string caption;
    int image = -1;
  };
  std::vector<BarEntry> bar;
  // What the user can change as well: kept here, so that the widget may be
  // made later, and followed when the user changes it.
  bool checked = false;
  int selection = -1;
  int position = 0;  // NumberField
  // Made with its window's widgets. ButtonBar: a button per index, null for a gap.
  QWidget* widget = nullptr;  // a child of its window's widget
  std::vector<QAbstractButton*> barButtons;
};

class TopWidget;

struct QtWindowSystem::Window {
  std::uintptr_t handle = 0;
  platform::WindowEvents events;
  // Declared first, so that they outlive the widgets that report to them.
  std::vector<std::unique_ptr<Control>> controls;
  std::unique_ptr<TopWidget> widget;
  std::string title;
  // The size, icon and controls are made when the window is first shown (or a
  // test asks for a control's widget): hidden windows cost no fonts, pictures
  // or widgets.
  bool built = false;
  int clientWidth = 0;
  int clientHeight = 0;
  bool centered = false;
  std::string icon;
  // False while CreateTopWindow runs: the program gets no callbacks for a
  // window whose handle it has not been given yet.
  bool ready = false;
  // The modal loop that ends when the window is hidden.
  QEventLoop* modalLoop = nullptr;
};

// A posted message. The bytes are shared by the windows it was posted to.
class MessageEvent final : public QEvent {
 public:
  MessageEvent(std::uint32_t code, std::uint64_t wParam, std::int64_t lParam,
               std::shared_ptr<const std::vector<std::byte>> data);
  static QEvent::Type Type();
  platform::Message ToMessage() const;

 private:
  std::uint32_t code_;
  std::uint64_t wParam_;
  std::int64_t lParam_;
  std::shared_ptr<const std::vector<std::byte>> data_;
};

class TopWidget final : public QWidget {
 public:
  explicit TopWidget(QtWindowSystem::Window& window) : window_(window) {}

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QtWindowSystem::Window& window_;
};

// Labels, links and pictures: a link reports clicks and the pointer, and a
// double-click on any of them is none on the window.
class ControlLabel final : public QLabel {
 public:
  ControlLabel(QWidget* parent, QtWindowSystem::Control& control);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QtWindowSystem::Control& control_;
};

// A read-only number with arrows. Its text is what the program last wrote;
// an arrow step moves the control's position within the range and writes it.
class ArrowField final : public QAbstractSpinBox {
 public:
  ArrowField(QWidget* parent, QtWindowSystem::Control& control);
  void SetText(const QString& text);

 protected:
  void stepBy(int steps) override;
  StepEnabled stepEnabled() const override;

 private:
  QtWindowSystem::Control& control_;
};

}  // namespace orbl::qt
