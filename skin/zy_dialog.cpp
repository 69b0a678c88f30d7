#include "skin/zy_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "core/core_manager.h"
#include "skin/resources.h"
#include "skin/skin_images.h"
#include "skin/zy_button.h"
#include "skin/zy_edit.h"
#include "skin/zy_list.h"
#include "skin/zy_static.h"

namespace nv {
namespace {

// Corner ellipses of the window outline.
constexpr int kCornerDiameter = 10;
// Size of a caption button when the minimise image is missing.
constexpr int kFallbackCaptionButton = 20;

Qt::WindowFlags WindowFlagsFor(const DialogTemplate* dialogTemplate) {
  const uint32_t style = dialogTemplate ? dialogTemplate->style : 0;
  const Qt::WindowFlags kind = (style & kAppWindow) ? Qt::Window : Qt::Dialog;
  return kind | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint;
}

Qt::Alignment StaticAlignment(uint32_t style) {
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (style & kCenter) horizontal = Qt::AlignHCenter;
  if (style & kRight) horizontal = Qt::AlignRight;
  return horizontal | Qt::AlignTop;
}

// Integer scaling of one coordinate, multiplication first, truncating.
int Scale(int value, int to, int from) {
  return static_cast<int>(static_cast<long long>(value) * to / from);
}

}  // namespace

QRegion RoundedWindowRegion(const QSize& size) {
  const int w = size.width();
  const int h = size.height();
  if (w <= 0 || h <= 0) return QRegion();
  const double radius = kCornerDiameter / 2.0;
  const int cornerRows = std::min<int>(kCornerDiameter / 2, h / 2);
  QRegion region(0, cornerRows, w, h - 2 * cornerRows);
  for (int row = 0; row < cornerRows; ++row) {
    // A pixel belongs to the outline when its centre lies inside the corner ellipse.
    const double dy = radius - (row + 0.5);
    const double dx = std::sqrt(std::max(0.0, radius * radius - dy * dy));
    const int inset = std::max(0, static_cast<int>(std::ceil(radius - dx - 0.5)));
    if (w - 2 * inset <= 0) continue;
    region += QRegion(inset, row, w - 2 * inset, 1);
    region += QRegion(inset, h - 1 - row, w - 2 * inset, 1);
  }
  return region;
}

CZyDialogEx::CZyDialogEx(int templateId, QWidget* parent)
    : QDialog(parent, WindowFlagsFor(FindDialogTemplate(templateId))),
      templateId_(templateId),
      core_(GetCoreManager()) {
  // QDialog turns a widget without a window type into a dialog window; a page
  // has to be a plain child.
  const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
  if (dialogTemplate && (dialogTemplate->style & kChild) && parent) setWindowFlags(Qt::Widget);
  setWindowIcon(ApplicationIcon());
}

CZyDialogEx::~CZyDialogEx() = default;

int CZyDialogEx::DoModal() {
  if (!Create()) return -1;
  return exec();
}

bool CZyDialogEx::Create() {
  if (built_) return true;
  built_ = true;
  BuildControls();
  if (!OnInitDialog()) return false;
  const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId_);
  if (dialogTemplate && (dialogTemplate->style & kVisible)) show();
  return true;
}

void CZyDialogEx::EndDialog(int result) { done(result); }

void CZyDialogEx::DestroyWindow() {
  clearMask();
  if (hasCaptionButtons_) {
    controls_.erase(kMinimizeCommand);
    controls_.erase(kCloseCommand);
    delete minimizeButton_;
    delete closeButton_;
    minimizeButton_ = nullptr;
    closeButton_ = nullptr;
  }
  hide();
  PostNcDestroy();
}

QWidget* CZyDialogEx::GetDlgItem(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

bool CZyDialogEx::OnInitDialog() { return true; }

void CZyDialogEx::BuildControls() {
  const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId_);
  if (!dialogTemplate) return;
  resize(DialogUnitsToPixels(0, 0, dialogTemplate->cx, dialogTemplate->cy).size());
  for (const ControlTemplate& control : dialogTemplate->controls) {
    QWidget* widget = CreateControl(control);
    widget->setGeometry(DialogUnitsToPixels(control.x, control.y, control.cx, control.cy));
    if (control.style & kHidden) widget->hide();
    if (control.style & kDisabled) widget->setEnabled(false);
    widget->setProperty("controlId", control.id);
    if (control.id != kStaticId) controls_.emplace(control.id, widget);
  }
}

QWidget* CZyDialogEx::CreateControl(const ControlTemplate& control) {
  const QString text = QString::fromUtf8(control.text);
  const int id = control.id;
  switch (control.kind) {
    case ControlKind::kStatic:
    case ControlKind::kLink: {
      auto* label = new QLabel(text, this);
      label->setAlignment(StaticAlignment(control.style));
      label->setWordWrap(control.style & kWordWrap);
      if (control.kind == ControlKind::kLink) {
        label->setTextFormat(Qt::RichText);
        label->setOpenExternalLinks(true);
      }
      return label;
    }
    case ControlKind::kStringStatic: {
      auto* label = new CZyStringStatic(this);
      label->setText(text);
      label->setAlignment(StaticAlignment(control.style));
      label->setWordWrap(control.style & kWordWrap);
      label->SetPathEllipsis(control.style & kPathEllipsis);
      return label;
    }
    case ControlKind::kButton:
    case ControlKind::kGeneralButton: {
      CZyButton* button = control.kind == ControlKind::kButton ? new CZyButton(this)
                                                                 : new CGeneralZyButton(this);
      button->setText(text);
      button->setDefault(control.style & kDefaultButton);
      connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
      return button;
    }
    case ControlKind::kEdit:
    case ControlKind::kGeneralEdit: {
      CZyEdit* edit = control.kind == ControlKind::kEdit ? new CZyEdit(this)
                                                          : new CGeneralZyEdit(this);
      {
        // The template's text is the initial text, not a change.
        const QSignalBlocker quiet(edit);
        edit->setText(text);
      }
      if (control.style & kMasked) edit->setEchoMode(QLineEdit::Password);
      return edit;
    }
    case ControlKind::kList: {
      auto* list = new CZyListCtrl(this);
      if (control.style & kSingleSelection) list->SetSingleSelection(true);
      return list;
    }
    case ControlKind::kComboBox:
      return new QComboBox(this);
    case ControlKind::kProgress: {
      auto* bar = new QProgressBar(this);
      bar->setRange(0, 100);
      bar->setValue(0);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::kGroupBox:
      return new QGroupBox(text, this);
  }
  return new QWidget(this);
}

void CZyDialogEx::InitSkin(int backgroundId, bool captionButtons, const QString& title) {
  background_ = LoadSkinBitmap(backgroundId);
  hasCaptionButtons_ = captionButtons;
  if (!background_.isNull()) resize(background_.size());
  referenceRect_ = rect();
  // Pages have neither caption buttons nor a title of their own.
  if (!hasCaptionButtons_) return;
  CreateCaptionButtons();
  setWindowTitle(title.isEmpty() ? LoadStringResource(173) : title);
}

void CZyDialogEx::CreateCaptionButtons() {
  // The minimise image measures both buttons: the close button ends 10 pixels
  // from the right edge and the two stand c/2 apart.
  const QImage measure = LoadSkinBitmap(7);
  const int c = measure.isNull() ? kFallbackCaptionButton : measure.width();
  const int e = measure.isNull() ? kFallbackCaptionButton : measure.height();
  const int left = width() - c / 2 - 2 * c - 10;
  const int top = e / 4;

  minimizeButton_ = new CZyButton(this);
  minimizeButton_->setGeometry(left, top, c, e);
  minimizeButton_->SetImages(GetSkinImagePath(7), GetSkinImagePath(9), GetSkinImagePath(8));
  closeButton_ = new CZyButton(this);
  closeButton_->setGeometry(left + c + c / 2, top, c, e);
  closeButton_->SetImages(GetSkinImagePath(4), GetSkinImagePath(6), GetSkinImagePath(5));

  for (auto [button, id] : {std::pair{minimizeButton_, kMinimizeCommand},
                            std::pair{closeButton_, kCloseCommand}}) {
    if (!measure.isNull()) button->SizeToImage();
    button->setFocusPolicy(Qt::NoFocus);
    button->setProperty("controlId", id);
    button->show();
    controls_[id] = button;
    connect(button, &QPushButton::clicked, this, [this, id = id] { OnCommand(id); });
  }
}

void CZyDialogEx::OnCommand(int id) {
  switch (id) {
    case kMinimizeCommand:
      minimizeButton_->SetState(Normal);
      showMinimized();
      break;
    case kCloseCommand:
    case IDOK:
      OnOK();
      break;
    case IDCANCEL:
      OnCancel();
      break;
    default:
      break;
  }
}

void CZyDialogEx::OnOK() { EndDialog(IDOK); }

void CZyDialogEx::OnCancel() { EndDialog(IDCANCEL); }

void CZyDialogEx::accept() { OnOK(); }

void CZyDialogEx::reject() { OnCancel(); }

void CZyDialogEx::OnEraseBackground(QPainter& painter) {
  if (!background_.isNull()) painter.drawImage(0, 0, background_);
}

void CZyDialogEx::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  OnEraseBackground(painter);
}

void CZyDialogEx::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (windowState() & Qt::WindowMinimized) return;
  setMask(RoundedWindowRegion(size()));
  // Until InitSkin stores the first reference, children stay where the template put them.
  const QRect now = rect();
  if (!referenceRect_.isEmpty() && !now.isEmpty()) {
    if (now.size() != referenceRect_.size()) ScaleChildren(referenceRect_, now);
    referenceRect_ = now;
  }
  update();
}

void CZyDialogEx::ScaleChildren(const QRect& from, const QRect& to) {
  for (QObject* object : children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (!child || child->isWindow()) continue;
    const QRect g = child->geometry();
    const int left = Scale(g.left(), to.width(), from.width());
    const int right = Scale(g.left() + g.width(), to.width(), from.width());
    const int top = Scale(g.top(), to.height(), from.height());
    const int bottom = Scale(g.top() + g.height(), to.height(), from.height());
    child->setGeometry(left, top, right - left, bottom - top);
  }
}

void CZyDialogEx::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (event->modifiers() & ~Qt::KeypadModifier) {
    QDialog::keyPressEvent(event);
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    OnCommand(IDCANCEL);
    return;
  }
  if (!enter) {
    QDialog::keyPressEvent(event);
    return;
  }
  // Enter presses the focused button, else the default button, else means IDOK.
  if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused->isEnabled()) {
    focused->click();
    return;
  }
  for (QPushButton* button : findChildren<QPushButton*>()) {
    if (button->isDefault() && button->isVisible() && button->isEnabled()) {
      button->click();
      return;
    }
  }
  OnCommand(IDOK);
}

bool CZyDialogEx::ChildRectContains(const QPoint& point) const {
  // Hidden children count as well: a placeholder never starts a move.
  for (QObject* object : children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (child && !child->isWindow() && child->geometry().contains(point)) return true;
  }
  return false;
}

void CZyDialogEx::BeginMove(const QPoint& globalPoint) {
  QWidget* top = window();
  if (QWindow* handle = top->windowHandle(); handle && handle->startSystemMove()) return;
  moving_ = true;
  moveOffset_ = globalPoint - top->pos();
}

void CZyDialogEx::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  const QPoint global = event->globalPosition().toPoint();
  if (!isWindow() && !hasCaptionButtons_) {
    // A page moves the window it sits in.
    BeginMove(global);
    return;
  }
  if (ChildRectContains(event->position().toPoint())) {
    QDialog::mousePressEvent(event);
    return;
  }
  BeginMove(global);
}

void CZyDialogEx::mouseMoveEvent(QMouseEvent* event) {
  if (moving_ && (event->buttons() & Qt::LeftButton)) {
    window()->move(event->globalPosition().toPoint() - moveOffset_);
    return;
  }
  QDialog::mouseMoveEvent(event);
}

void CZyDialogEx::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) moving_ = false;
  QDialog::mouseReleaseEvent(event);
}

void CZyDialogEx::mouseDoubleClickEvent(QMouseEvent* event) {
  // Double-clicking the surface neither maximises nor restores anything.
  event->accept();
}

CFunctionDlg::CFunctionDlg(int templateId, QWidget* parent) : CZyDialogEx(templateId, parent) {}

void CFunctionDlg::OnOK() {}

void CFunctionDlg::OnCancel() {}

void CFunctionDlg::PostNcDestroy() { deleteLater(); }

}  // namespace nv
