#include "skin/message_box.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>

#include "skin/skin_images.h"
#include "skin/zy_button.h"

namespace nv {
namespace {

constexpr int kMessageTemplate = 165;
constexpr int kMessageBackground = 1;

MessageScript*& ActiveScript() {
  static MessageScript* script = nullptr;
  return script;
}

}  // namespace

int MessageIconImage(int icon) {
  switch (icon) {
    case MI_ERROR: return 14;
    case MI_WARNING: return 18;
    case MI_TIP: return 16;
    case MI_ASK: return 20;
    default: return 12;
  }
}

CZyMessageBox::CZyMessageBox(QWidget* parent) : CZyDialogEx(kMessageTemplate, parent) {}

bool CZyMessageBox::OnInitDialog() {
  InitSkin(kMessageBackground, true, QStringLiteral("Message - Norvane"));
  if (auto* label = Item<QLabel>(kMessageText)) label->setText(text_);
  iconImage_ = WithWhiteTransparent(LoadSkinBitmap(MessageIconImage(icon_)));
  for (int id : {kMessageLeftButton, kMessageMiddleButton, kMessageRightButton}) {
    if (auto* button = Item<CZyButton>(id)) button->SetTextColor(Qt::white);
  }
  ArrangeButtons();
  raise();
  activateWindow();
  return true;
}

void CZyMessageBox::ArrangeButtons() {
  auto* left = Item<CZyButton>(kMessageLeftButton);
  auto* middle = Item<CZyButton>(kMessageMiddleButton);
  auto* right = Item<CZyButton>(kMessageRightButton);
  if (!left || !middle || !right) return;
  const int W = width();
  const int T = left->y();
  const int w = left->width();
  switch (buttons_) {
    case MB_OK:
      middle->hide();
      right->hide();
      left->SetCaption(LoadStringResource(166));
      left->move((W - w) / 2, T);
      break;
    case MB_OKCANCEL:
    case MB_YESNO:
      right->hide();
      left->SetCaption(LoadStringResource(buttons_ == MB_OKCANCEL ? 166 : 168));
      middle->SetCaption(LoadStringResource(buttons_ == MB_OKCANCEL ? 167 : 169));
      // Centred, with a gap of 2 * (w / 5) between the two.
      left->move(W / 2 - w / 5 - w, T);
      middle->move(W / 2 + w / 5, T);
      break;
    case MB_YESNOCANCEL:
      left->SetCaption(LoadStringResource(168));
      middle->SetCaption(LoadStringResource(169));
      right->SetCaption(LoadStringResource(167));
      break;
    default:
      break;
  }
}

void CZyMessageBox::OnCommand(int id) {
  const bool yesNo = buttons_ == MB_YESNOCANCEL || buttons_ == MB_YESNO;
  switch (id) {
    case kMessageLeftButton:
      result_ = yesNo ? IDYES : IDOK;
      CZyDialogEx::OnOK();
      break;
    case kMessageMiddleButton:
      result_ = buttons_ == MB_OKCANCEL ? IDCANCEL : IDNO;
      CZyDialogEx::OnCancel();
      break;
    case kMessageRightButton:
      result_ = IDCANCEL;
      CZyDialogEx::OnCancel();
      break;
    default:
      CZyDialogEx::OnCommand(id);
      break;
  }
}

void CZyMessageBox::OnEraseBackground(QPainter& painter) {
  CZyDialogEx::OnEraseBackground(painter);
  if (QWidget* marker = GetDlgItem(kMessageIconMarker)) {
    painter.drawImage(marker->geometry().topLeft(), iconImage_);
  }
}

int ShowMessage(const QString& text, int icon, unsigned buttons) {
  if (MessageScript* script = ActiveScript()) return script->Take({text, icon, buttons});
  CZyMessageBox box(QApplication::activeWindow());
  box.SetText(text);
  box.SetIcon(icon);
  box.SetButtons(buttons);
  box.DoModal();
  return box.result();
}

int ShowMessage(int stringId) { return ShowMessage(LoadStringResource(stringId), MI_ERROR, MB_OK); }

MessageScript::MessageScript(std::initializer_list<int> answers)
    : answers_(answers), previous_(ActiveScript()) {
  ActiveScript() = this;
}

MessageScript::~MessageScript() { ActiveScript() = previous_; }

int MessageScript::Take(const ShownMessage& message) {
  shown_.push_back(message);
  if (answers_.empty()) return IDOK;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace nv
