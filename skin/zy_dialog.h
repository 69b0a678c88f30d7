// The skinned dialog every window of the program is built on, and the base of
// the function pages shown inside the main window.
//
// A dialog is built from its template (resources.h), takes its size and look
// from a background skin image, has a rounded outline, moves when its free
// surface is dragged, and, when top-level, carries its own minimise (171) and
// close (172) buttons. Children keep their relative positions and sizes when
// the dialog is resized.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <map>

namespace nv {

class CCoreManager;
class CZyButton;
struct ControlTemplate;

// Command ids of the caption buttons.
constexpr int kMinimizeCommand = 171;
constexpr int kCloseCommand = 172;

// The rounded outline of a window of the given size: a rectangle with corner
// ellipses 10 by 10 pixels.
QRegion RoundedWindowRegion(const QSize& size);

class CZyDialogEx : public QDialog {
  Q_OBJECT

 public:
  // parent: the window that owns this one (for a page, the window it sits in).
  explicit CZyDialogEx(int templateId, QWidget* parent = nullptr);
  ~CZyDialogEx() override;

  // Builds the window, initialises it and runs it modally; returns the result
  // it was ended with (IDOK, IDCANCEL, ...), or -1 when it could not be built.
  int DoModal();
  // Builds the window and initialises it without a modal run; the window is
  // shown when its template says so. Returns false when initialisation failed.
  bool Create();
  // Ends a modal run with the result.
  void EndDialog(int result);
  // Hides the window and drops its outline and caption buttons, then runs
  // PostNcDestroy (pages delete themselves there).
  virtual void DestroyWindow();

  // The control with the given id (caption buttons included), or null.
  QWidget* GetDlgItem(int id) const;
  template <typename T>
  T* Item(int id) const {
    return qobject_cast<T*>(GetDlgItem(id));
  }

  int templateId() const { return templateId_; }
  const QImage& background() const { return background_; }
  bool hasCaptionButtons() const { return hasCaptionButtons_; }
  CZyButton* minimizeButton() const { return minimizeButton_; }
  CZyButton* closeButton() const { return closeButton_; }
  // The client rectangle children were last scaled against; empty until the
  // skin is initialised.
  QRect referenceRect() const { return referenceRect_; }
  CCoreManager* core() const { return core_; }

 protected:
  // Derived dialogs call InitSkin first in their own OnInitDialog. The base
  // version does nothing and reports success.
  virtual bool OnInitDialog();
  // Loads the background and sizes the window to it. With caption buttons it
  // also creates them and sets the window text to the title (the product name
  // when empty).
  void InitSkin(int backgroundId, bool captionButtons, const QString& title = QString());

  // A button of the dialog was clicked (or Enter/Escape pressed: IDOK/IDCANCEL).
  // The base handles the caption buttons, IDOK and IDCANCEL.
  virtual void OnCommand(int id);
  virtual void OnOK();
  virtual void OnCancel();
  // Paints the background image at (0, 0) at its own size; derived dialogs
  // draw further images after calling it.
  virtual void OnEraseBackground(QPainter& painter);
  // Runs after DestroyWindow.
  virtual void PostNcDestroy() {}

  void accept() override;
  void reject() override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void BuildControls();
  QWidget* CreateControl(const ControlTemplate& control);
  void CreateCaptionButtons();
  void ScaleChildren(const QRect& from, const QRect& to);
  bool ChildRectContains(const QPoint& point) const;
  void BeginMove(const QPoint& globalPoint);

  int templateId_;
  bool built_ = false;
  QRect referenceRect_;
  QImage background_;
  bool hasCaptionButtons_ = false;
  CZyButton* minimizeButton_ = nullptr;
  CZyButton* closeButton_ = nullptr;
  CCoreManager* core_;
  std::map<int, QWidget*> controls_;
  // Moving the window by hand where the window system cannot move it.
  bool moving_ = false;
  QPoint moveOffset_;
};

// A function page: a modeless child of the main window. It never ends a modal
// loop (Enter and Escape are ignored) and deletes itself once destroyed.
class CFunctionDlg : public CZyDialogEx {
  Q_OBJECT

 public:
  CFunctionDlg(int templateId, QWidget* parent);

 protected:
  void OnOK() override;
  void OnCancel() override;
  void PostNcDestroy() override;
};

}  // namespace nv
