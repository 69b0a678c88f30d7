// The skinned message box through which every notice and question is shown.
#pragma once

#include <QImage>
#include <QString>
#include <deque>
#include <initializer_list>
#include <vector>

#include "skin/resources.h"
#include "skin/zy_dialog.h"

namespace nv {

// The icon at the left of the text. Any other value shows the MI_OK image.
enum MessageIcon : int {
  MI_OK = 0,
  MI_ERROR = 1,
  MI_WARNING = 2,
  MI_TIP = 3,
  MI_ASK = 4,
};

// Button sets.
constexpr unsigned MB_OK = 0;
constexpr unsigned MB_OKCANCEL = 1;
constexpr unsigned MB_YESNOCANCEL = 3;
constexpr unsigned MB_YESNO = 4;

// Control ids of the message box template.
constexpr int kMessageLeftButton = 1052;
constexpr int kMessageMiddleButton = 1053;
constexpr int kMessageRightButton = 1055;
constexpr int kMessageIconMarker = 1051;
constexpr int kMessageText = 1054;

// The skin image id of an icon value.
int MessageIconImage(int icon);

class CZyMessageBox : public CZyDialogEx {
  Q_OBJECT

 public:
  explicit CZyMessageBox(QWidget* parent = nullptr);

  // Set before the box is shown.
  void SetText(const QString& text) { text_ = text; }
  void SetIcon(int icon) { icon_ = icon; }
  void SetButtons(unsigned buttons) { buttons_ = buttons; }
  // IDOK until a button sets it; closing the box any other way leaves it.
  int result() const { return result_; }

  // The image drawn as the icon, white made transparent.
  const QImage& iconImage() const { return iconImage_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id) override;
  void OnEraseBackground(QPainter& painter) override;

 private:
  void ArrangeButtons();

  QString text_;
  QImage iconImage_;
  int icon_ = MI_OK;
  unsigned buttons_ = MB_OK;
  int result_ = IDOK;
};

// Shows a modal box with the text, icon and button set and returns the
// result (IDOK, IDCANCEL, IDYES or IDNO).
int ShowMessage(const QString& text, int icon = MI_OK, unsigned buttons = MB_OK);
// Shows a string of the string table with MI_ERROR and MB_OK.
int ShowMessage(int stringId);

struct ShownMessage {
  QString text;
  int icon = MI_OK;
  unsigned buttons = MB_OK;
};

// While one lives, ShowMessage shows nothing: it records each message and
// answers it with the next scripted result, or IDOK (what closing the box
// gives) once the script is used up. Scripts nest; the newest one answers.
class MessageScript {
 public:
  explicit MessageScript(std::initializer_list<int> answers = {});
  ~MessageScript();
  MessageScript(const MessageScript&) = delete;
  MessageScript& operator=(const MessageScript&) = delete;

  // Appends an answer.
  void Answer(int result) { answers_.push_back(result); }
  const std::vector<ShownMessage>& shown() const { return shown_; }
  // Answers not used yet.
  size_t pending() const { return answers_.size(); }

  int Take(const ShownMessage& message);

 private:
  std::deque<int> answers_;
  std::vector<ShownMessage> shown_;
  MessageScript* previous_;
};

}  // namespace nv
