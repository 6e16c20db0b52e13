// The control half of QtWindowSystem: the widgets made for the core's
// controls, their places, their state and the input they report.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "platform/linux/LinuxText.h"
#include "platform/qt/QtWindowParts.h"

namespace orbl::qt {

using platform::ControlKind;

namespace {

// Buttons, check boxes and group boxes read '&' as the mark of an access
// key; the core's texts mean the character itself.
QString ShownCaption(ControlKind kind, const std::string& text) {
  QString shown = Shown(text);
  if (kind == ControlKind::Button || kind == ControlKind::CheckBox || kind == ControlKind::Group) {
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
  }
  return shown;
}

bool HasItems(ControlKind kind) {
  return kind == ControlKind::DropDownList || kind == ControlKind::List;
}

constexpr int kBarGap = 8;

}  // namespace

QString Shown(const std::string& text) {
  return QString::fromStdString(lnx::ToDisplayText(text));
}

namespace {

// A number field's position, kept within its range, and its text.
void SetPosition(QtWindowSystem::Control& control, int position) {
  const int low = std::min(control.params.minimum, control.params.maximum);
  const int high = std::max(control.params.minimum, control.params.maximum);
  control.position = std::clamp(position, low, high);
  control.text = std::to_string(control.position);
}

// A link under the pointer is drawn blue.
void HighlightLink(QtWindowSystem::Control& link) {
  QPalette palette = link.widget->palette();
  palette.setColor(QPalette::WindowText, link.highlighted
                                             ? QColor(Qt::blue)
                                             : QApplication::palette().color(QPalette::WindowText));
  link.widget->setPalette(palette);
}

}  // namespace

// --- the widgets ---------------------------------------------------------------

ControlLabel::ControlLabel(QWidget* parent, QtWindowSystem::Control& control)
    : QLabel(parent), control_(control) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWordWrap(control.params.kind == ControlKind::Label);
  if (control.params.kind == ControlKind::LinkLabel) {
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
  }
}

void ControlLabel::mouseReleaseEvent(QMouseEvent* event) {
  const auto onClick = control_.events.onClick;
  if (control_.params.kind == ControlKind::LinkLabel && event->button() == Qt::LeftButton &&
      rect().contains(event->position().toPoint()) && onClick) {
    onClick();
  }
}

void ControlLabel::mouseDoubleClickEvent(QMouseEvent* /*event*/) {}

void ControlLabel::enterEvent(QEnterEvent* /*event*/) {
  const auto onMouseHover = control_.events.onMouseHover;
  if (control_.params.kind == ControlKind::LinkLabel && onMouseHover) onMouseHover(true);
}

void ControlLabel::leaveEvent(QEvent* /*event*/) {
  const auto onMouseHover = control_.events.onMouseHover;
  if (control_.params.kind == ControlKind::LinkLabel && onMouseHover) onMouseHover(false);
}

ArrowField::ArrowField(QWidget* parent, QtWindowSystem::Control& control)
    : QAbstractSpinBox(parent), control_(control) {
  lineEdit()->setReadOnly(true);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void ArrowField::SetText(const QString& text) {
  lineEdit()->setText(text);
}

void ArrowField::stepBy(int steps) {
  const int step = control_.params.step > 0 ? control_.params.step : 1;
  const int before = control_.position;
  SetPosition(control_, control_.position + steps * step);
  SetText(QString::fromStdString(control_.text));
  const auto onArrow = control_.events.onArrow;
  if (control_.position != before && onArrow) onArrow(control_.position);
}

QAbstractSpinBox::StepEnabled ArrowField::stepEnabled() const {
  StepEnabled enabled = StepNone;
  if (control_.position < std::max(control_.params.minimum, control_.params.maximum)) {
    enabled |= StepUpEnabled;
  }
  if (control_.position > std::min(control_.params.minimum, control_.params.maximum)) {
    enabled |= StepDownEnabled;
  }
  return enabled;
}

// --- making and placing ----------------------------------------------------------

QtWindowSystem::Control* QtWindowSystem::ControlOf(platform::ControlHandle handle) const {
  auto it = controls_.find(handle.value);
  return it == controls_.end() ? nullptr : it->second;
}

QWidget* QtWindowSystem::ControlWidget(platform::ControlHandle control) const {
  Control* c = ControlOf(control);
  if (c == nullptr) return nullptr;
  BuildWindow(*c->window);
  return c->widget;
}

platform::ControlHandle QtWindowSystem::CreateControl(platform::WindowHandle parent,
                                                      const platform::ControlParams& params,
                                                      platform::ControlEvents events) {
  Window* window = WindowOf(parent);
  if (window == nullptr) return {};
  auto control = std::make_unique<Control>();
  control->handle = nextControl_++;
  control->params = params;
  control->events = std::move(events);
  control->window = window;
  control->visible = params.visible;
  if (params.kind != ControlKind::Picture) control->text = params.text;
  if (params.kind == ControlKind::NumberField) SetPosition(*control, params.minimum);
  Control& made = *control;
  window->controls.push_back(std::move(control));
  controls_[made.handle] = &made;
  if (window->built) BuildControl(*window, made);
  return platform::ControlHandle{made.handle};
}

void QtWindowSystem::BuildWindow(Window& window) const {
  if (window.built) return;
  window.built = true;
  // A window without a size (the application window) measures no font.
  const bool sized = window.clientWidth != 0 || window.clientHeight != 0;
  const double scale = sized ? LayoutScale() : 1.0;
  const QSize size(static_cast<int>(std::lround(window.clientWidth * scale)),
                   static_cast<int>(std::lround(window.clientHeight * scale)));
  window.widget->setFixedSize(size);
  if (!window.icon.empty()) window.widget->setWindowIcon(ResourceIcon(window.icon));
  if (window.centered) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect work = screen->availableGeometry();
      window.widget->move(work.center() - QPoint(size.width() / 2, size.height() / 2));
    }
  }
  for (const auto& control : window.controls) BuildControl(window, *control);
}

void QtWindowSystem::BuildControl(Window& window, Control& control) const {
  QWidget* parent = window.widget.get();
  const platform::ControlParams& params = control.params;
  const QString caption = ShownCaption(params.kind, control.text);
  QWidget* widget = nullptr;
  switch (params.kind) {
    case ControlKind::Label:
    case ControlKind::LinkLabel:
    case ControlKind::Picture: {
      auto* label = new ControlLabel(parent, control);
      if (params.kind == ControlKind::Picture) {
        label->setAlignment(Qt::AlignCenter);
        const int side =
            static_cast<int>(std::min(params.rect.width, params.rect.height) * LayoutScale());
        const QIcon icon = ResourceIcon(params.image);
        if (!icon.isNull()) label->setPixmap(icon.pixmap(side, side));
      } else {
        label->setText(caption);
      }
      widget = label;
      break;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(caption, parent);
      box->setChecked(control.checked);
      // Only the user's clicks: the program's ticks emit no clicked().
      QObject::connect(box, &QCheckBox::clicked, [&control](bool checked) {
        control.checked = checked;
        const auto onClick = control.events.onClick;
        if (onClick) onClick();
      });
      widget = box;
      break;
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(caption, parent);
      // Enter is the window's to route (TopWidget::keyPressEvent).
      button->setAutoDefault(false);
      button->setDefault(params.defaultButton);
      QObject::connect(button, &QPushButton::clicked, [&control] {
        const auto onClick = control.events.onClick;
        if (onClick) onClick();
      });
      widget = button;
      break;
    }
    case ControlKind::DropDownList: {
      auto* combo = new QComboBox(parent);
      combo->setMaxVisibleItems(12);
      for (const std::string& item : control.items) combo->addItem(Shown(item));
      combo->setCurrentIndex(control.selection);
      QObject::connect(combo, &QComboBox::currentIndexChanged, [&control](int index) {
        control.selection = index;
        const auto onSelect = control.events.onSelect;
        if (onSelect) onSelect(index);
      });
      widget = combo;
      break;
    }
    case ControlKind::List: {
      auto* list = new QListWidget(parent);
      for (const std::string& item : control.items) list->addItem(Shown(item));
      list->setCurrentRow(control.selection);
      QObject::connect(list, &QListWidget::currentRowChanged, [&control](int row) {
        control.selection = row;
        const auto onSelect = control.events.onSelect;
        if (onSelect) onSelect(row);
      });
      widget = list;
      break;
    }
    case ControlKind::NumberField: {
      auto* field = new ArrowField(parent, control);
      field->SetText(caption);
      widget = field;
      break;
    }
    case ControlKind::Group:
      widget = new QGroupBox(caption, parent);
      break;
    case ControlKind::Divider: {
      auto* line = new QFrame(parent);
      line->setFrameShape(QFrame::HLine);
      line->setFrameShadow(QFrame::Sunken);
      widget = line;
      break;
    }
    case ControlKind::ButtonBar: {
      widget = new QWidget(parent);
      auto* layout = new QHBoxLayout(widget);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->setSpacing(0);
      layout->addStretch();
      break;
    }
  }
  control.widget = widget;
  for (std::size_t i = 0; i < control.bar.size(); ++i) AddBarWidget(control, i);
  if (control.highlighted) HighlightLink(control);
  if (params.bold) {
    QFont bold = widget->font();
    bold.setBold(true);
    widget->setFont(bold);
  }
  PlaceControl(control);
  widget->setVisible(control.visible);
  // A group box is drawn under the controls it frames, whichever came first.
  for (const auto& other : window.controls) {
    if (other->params.kind == ControlKind::Group && other->widget != nullptr) {
      other->widget->lower();
    }
  }
}

void QtWindowSystem::PlaceControl(Control& control) const {
  const platform::Rect& r = control.params.rect;
  const auto scaled = [this](int value) {
    return static_cast<int>(std::lround(value * LayoutScale()));
  };
  int height = scaled(r.height);
  // A drop-down list's rectangle on Windows includes its opened list.
  if (control.params.kind == ControlKind::DropDownList) {
    height = std::min(height, control.widget->sizeHint().height());
  }
  control.widget->setGeometry(scaled(r.x), scaled(r.y), scaled(r.width), height);
}

// --- state -------------------------------------------------------------------------
// Each setter keeps what it sets in the control and, once the window's widgets
// exist, sets it on the widget too, without the signals a user's change sends.

void QtWindowSystem::SetControlText(platform::ControlHandle control, const std::string& text) {
  Control* c = ControlOf(control);
  if (c == nullptr) return;
  c->text = text;
  if (c->widget == nullptr) return;
  const QString caption = ShownCaption(c->params.kind, text);
  const QSignalBlocker quiet(c->widget);
  if (auto* label = qobject_cast<QLabel*>(c->widget)) {
    if (c->params.kind != ControlKind::Picture) label->setText(caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(c->widget)) {
    button->setText(caption);
  } else if (auto* group = qobject_cast<QGroupBox*>(c->widget)) {
    group->setTitle(caption);
  } else if (auto* field = dynamic_cast<ArrowField*>(c->widget)) {
    field->SetText(caption);
  }
}

std::string QtWindowSystem::ControlText(platform::ControlHandle control) const {
  const Control* c = ControlOf(control);
  if (c == nullptr) return {};
  // A drop-down list's text is its selected entry.
  if (c->params.kind == ControlKind::DropDownList) {
    const int selection = Selection(control);
    return selection < 0 ? std::string() : c->items[static_cast<std::size_t>(selection)];
  }
  return c->text;
}

void QtWindowSystem::SetControlVisible(platform::ControlHandle control, bool visible) {
  Control* c = ControlOf(control);
  if (c == nullptr) return;
  c->visible = visible;
  if (c->widget != nullptr) c->widget->setVisible(visible);
}

// The control's own flag: a control on a hidden window still counts as
// visible, as it will be once its window is shown.
bool QtWindowSystem::IsControlVisible(platform::ControlHandle control) const {
  const Control* c = ControlOf(control);
  return c != nullptr && c->visible;
}

void QtWindowSystem::SetChecked(platform::ControlHandle control, bool checked) {
  Control* c = ControlOf(control);
  if (c == nullptr || c->params.kind != ControlKind::CheckBox) return;
  c->checked = checked;
  if (auto* box = qobject_cast<QCheckBox*>(c->widget)) box->setChecked(checked);
}

bool QtWindowSystem::IsChecked(platform::ControlHandle control) const {
  const Control* c = ControlOf(control);
  return c != nullptr && c->checked;
}

void QtWindowSystem::ClearItems(platform::ControlHandle control) {
  Control* c = ControlOf(control);
  if (c == nullptr || !HasItems(c->params.kind)) return;
  c->items.clear();
  c->selection = -1;
  const QSignalBlocker quiet(c->widget);
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) combo->clear();
  if (auto* list = qobject_cast<QListWidget*>(c->widget)) list->clear();
}

void QtWindowSystem::AddItem(platform::ControlHandle control, const std::string& text) {
  Control* c = ControlOf(control);
  if (c == nullptr || !HasItems(c->params.kind)) return;
  c->items.push_back(text);
  const QSignalBlocker quiet(c->widget);
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) {
    combo->addItem(Shown(text));
    // A list box starts with no entry chosen; so does its drop-down twin.
    combo->setCurrentIndex(c->selection);
  }
  if (auto* list = qobject_cast<QListWidget*>(c->widget)) list->addItem(Shown(text));
}

std::vector<std::string> QtWindowSystem::Items(platform::ControlHandle control) const {
  const Control* c = ControlOf(control);
  return c == nullptr ? std::vector<std::string>() : c->items;
}

void QtWindowSystem::SetSelection(platform::ControlHandle control, int index) {
  Control* c = ControlOf(control);
  if (c == nullptr || !HasItems(c->params.kind)) return;
  if (index < 0 || static_cast<std::size_t>(index) >= c->items.size()) index = -1;
  c->selection = index;
  const QSignalBlocker quiet(c->widget);
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) combo->setCurrentIndex(index);
  if (auto* list = qobject_cast<QListWidget*>(c->widget)) {
    list->setCurrentRow(index);
    if (index < 0) list->clearSelection();
  }
}

int QtWindowSystem::Selection(platform::ControlHandle control) const {
  const Control* c = ControlOf(control);
  return c == nullptr || !HasItems(c->params.kind) ? -1 : c->selection;
}

void QtWindowSystem::SetArrowPosition(platform::ControlHandle control, int value) {
  Control* c = ControlOf(control);
  if (c == nullptr || c->params.kind != ControlKind::NumberField) return;
  SetPosition(*c, value);
  if (auto* field = dynamic_cast<ArrowField*>(c->widget)) {
    field->SetText(QString::fromStdString(c->text));
  }
}

int QtWindowSystem::ArrowPosition(platform::ControlHandle control) const {
  const Control* c = ControlOf(control);
  return c == nullptr || c->params.kind != ControlKind::NumberField ? 0 : c->position;
}

int QtWindowSystem::AddBarButton(platform::ControlHandle bar, const std::string& caption,
                                 int image) {
  Control* c = ControlOf(bar);
  if (c == nullptr || c->params.kind != ControlKind::ButtonBar) return -1;
  c->bar.push_back({.gap = false, .caption = caption, .image = image});
  if (c->widget != nullptr) AddBarWidget(*c, c->bar.size() - 1);
  return static_cast<int>(c->bar.size()) - 1;
}

int QtWindowSystem::AddBarSeparator(platform::ControlHandle bar) {
  Control* c = ControlOf(bar);
  if (c == nullptr || c->params.kind != ControlKind::ButtonBar) return -1;
  c->bar.push_back({.gap = true, .caption = {}, .image = -1});
  if (c->widget != nullptr) AddBarWidget(*c, c->bar.size() - 1);
  return static_cast<int>(c->bar.size()) - 1;
}

void QtWindowSystem::AddBarWidget(Control& bar, std::size_t index) const {
  const Control::BarEntry& entry = bar.bar[index];
  auto* layout = static_cast<QHBoxLayout*>(bar.widget->layout());
  if (entry.gap) {
    layout->insertSpacing(layout->count() - 1, static_cast<int>(kBarGap * LayoutScale()));
    bar.barButtons.push_back(nullptr);
    return;
  }
  auto* button = new QToolButton(bar.widget);
  button->setText(Shown(entry.caption));
  button->setAutoRaise(true);
  // Pictures are squares side by side in one strip.
  const QImage strip = ResourceImage(bar.params.image);
  const int side = strip.height();
  if (entry.image >= 0 && side > 0 && (entry.image + 1) * side <= strip.width()) {
    button->setIcon(QPixmap::fromImage(strip.copy(entry.image * side, 0, side, side)));
    button->setIconSize(QSize(side, side) * LayoutScale());
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  } else {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }
  const int picked = static_cast<int>(index);
  QObject::connect(button, &QToolButton::clicked, [&bar, picked] {
    const auto onSelect = bar.events.onSelect;
    if (onSelect) onSelect(picked);
  });
  layout->insertWidget(layout->count() - 1, button);
  bar.barButtons.push_back(button);
}

void QtWindowSystem::SetBarButtonCaption(platform::ControlHandle bar, int index,
                                         const std::string& caption) {
  Control* c = ControlOf(bar);
  if (c == nullptr || index < 0 || static_cast<std::size_t>(index) >= c->bar.size()) return;
  const auto at = static_cast<std::size_t>(index);
  if (c->bar[at].gap) return;
  c->bar[at].caption = caption;
  if (at < c->barButtons.size() && c->barButtons[at] != nullptr) {
    c->barButtons[at]->setText(Shown(caption));
  }
}

void QtWindowSystem::SetLinkHighlighted(platform::ControlHandle control, bool highlighted) {
  Control* c = ControlOf(control);
  if (c == nullptr || c->params.kind != ControlKind::LinkLabel) return;
  c->highlighted = highlighted;
  if (c->widget != nullptr) HighlightLink(*c);
}

}  // namespace orbl::qt
