#include "previews.h"

#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>

#include "skin/message_box.h"
#include "skin/resources.h"
#include "skin/skin_images.h"
#include "skin/zy_button.h"
#include "skin/zy_edit.h"
#include "skin/zy_list.h"
#include "skin/zy_static.h"

namespace gallery {
namespace {

using nv::ControlKind;
using K = nv::ControlKind;

constexpr int kControlsTemplate = 9001;

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// The look the pages give their description line.
void StyleDescription(nv::CZyDialogEx& dialog) {
  if (auto* description = dialog.Item<QLabel>(1108)) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    description->setFont(font);
    QPalette colours = description->palette();
    colours.setColor(QPalette::WindowText, QColor(0x33, 0x33, 0x33));
    description->setPalette(colours);
  }
}

void Hover(QWidget* widget) {
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QCoreApplication::sendEvent(widget, &enter);
}

QIcon StandardIcon(QStyle::StandardPixmap which) { return QApplication::style()->standardIcon(which); }

void FillFileList(nv::CZyListCtrl& list, const std::vector<std::pair<QString, QString>>& rows) {
  const int width = list.ClientWidth();
  list.InsertColumn(0, QStringLiteral("Name"), width * 30 / 100);
  list.InsertColumn(1, QStringLiteral("Path"), width * 70 / 100);
  list.SetExtendedStyle(nv::CZyListCtrl::kGridLines | nv::CZyListCtrl::kFullRowSelect |
                        nv::CZyListCtrl::kDoubleBuffer);
  for (const auto& [name, path] : rows) {
    const bool folder = !name.contains(QLatin1Char('.'));
    const int row = list.InsertItem(list.GetItemCount(), name,
                                    StandardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
    list.SetItemText(row, 1, path);
  }
}

void RegisterControlsTemplate() {
  nv::RegisterDialogTemplate(
      {kControlsTemplate, 365, 241, nv::kVisible | nv::kChild,
       {
           {1108, K::kStringStatic,
            "Every control of the toolkit in its states: at rest, under the pointer, pressed, "
            "disabled and focused.",
            44, 9, 311, 20, nv::kWordWrap},
           {-1, K::kStatic, "Text buttons", 10, 41, 60, 8},
           {2001, K::kGeneralButton, "Normal", 72, 38, 52, 14},
           {2002, K::kGeneralButton, "Hover", 128, 38, 52, 14},
           {2003, K::kGeneralButton, "Pressed", 184, 38, 52, 14},
           {2004, K::kGeneralButton, "Disabled", 240, 38, 52, 14, nv::kDisabled},
           {2005, K::kGeneralButton, "Focused", 296, 38, 59, 14},
           {-1, K::kStatic, "Plain buttons", 10, 61, 60, 8},
           {2011, K::kButton, "Normal", 72, 58, 52, 14},
           {2012, K::kButton, "Hover", 128, 58, 52, 14},
           {2013, K::kButton, "Pressed", 184, 58, 52, 14},
           {2014, K::kButton, "Disabled", 240, 58, 52, 14, nv::kDisabled},
           {2015, K::kButton, "Current", 296, 58, 59, 14},
           {-1, K::kStatic, "Edits", 10, 81, 60, 8},
           {2021, K::kGeneralEdit, "At rest", 72, 78, 90, 14},
           {2022, K::kGeneralEdit, "Pointer over", 168, 78, 90, 14},
           {2023, K::kGeneralEdit, "secret", 264, 78, 91, 14, nv::kMasked},
           {2024, K::kEdit, "Plain edit", 72, 98, 90, 14},
           {2025, K::kGeneralEdit, "Disabled", 168, 98, 90, 14, nv::kDisabled},
           {2026, K::kComboBox, "", 264, 98, 91, 14},
           {-1, K::kStatic, "Texts", 10, 121, 60, 8},
           {2031, K::kGeneralButton, "A caption far too long", 72, 118, 52, 14},
           {2032, K::kStringStatic,
            "/home/alice/Documents/Reports/2026/quarterly-summary-final-version.xlsx", 136, 121,
            219, 8, nv::kPathEllipsis},
           {2041, K::kProgress, "", 72, 136, 200, 8},
           {2042, K::kLink, "<a href=\"https://example.org/guide\">Web guide</a>", 282, 135, 73,
            10},
           {2051, K::kList, "", 10, 150, 345, 84},
       }});
}

}  // namespace

Preview::Preview(int templateId, int backgroundId, bool captionButtons, Fill fill, QWidget* parent)
    : CZyDialogEx(templateId, parent),
      backgroundId_(backgroundId),
      captionButtons_(captionButtons),
      fill_(std::move(fill)) {}

void Preview::AddOverlay(const QImage& image, const QPoint& at) {
  overlays_.emplace_back(image, at);
  update();
}

bool Preview::OnInitDialog() {
  InitSkin(backgroundId_, captionButtons_);
  StyleDescription(*this);
  if (fill_) fill_(*this);
  return true;
}

void Preview::OnEraseBackground(QPainter& painter) {
  CZyDialogEx::OnEraseBackground(painter);
  for (const auto& [image, at] : overlays_) painter.drawImage(at, image);
}

QImage Capture(QWidget& window) {
  window.show();
  window.activateWindow();
  Settle();
  QImage picture = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  const QRegion outline = window.mask().isEmpty() ? QRegion(window.rect()) : window.mask();
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (!outline.contains(QPoint(x, y))) picture.setPixel(x, y, 0);
    }
  }
  return picture;
}

QImage ControlsSheet() {
  RegisterControlsTemplate();
  Preview sheet(kControlsTemplate, 44, false, [](Preview& page) {
    page.Item<nv::CZyButton>(2002)->SetState(nv::Focus);
    page.Item<nv::CZyButton>(2003)->SetState(nv::Selected);
    page.Item<nv::CZyButton>(2012)->SetState(nv::Focus);
    page.Item<nv::CZyButton>(2013)->SetState(nv::Selected);
    page.Item<nv::CZyButton>(2015)->SetKeepSelected(true);
    auto* combo = page.Item<QComboBox>(2026);
    combo->addItems({QStringLiteral("Use Gutmann algorithm"), QStringLiteral("Erase and write random data")});
    page.Item<QProgressBar>(2041)->setValue(64);
    auto* list = page.Item<nv::CZyListCtrl>(2051);
    list->SetExtendedStyle(nv::CZyListCtrl::kGridLines | nv::CZyListCtrl::kCheckBoxes |
                           nv::CZyListCtrl::kFullRowSelect);
    const int width = list->ClientWidth();
    list->InsertColumn(0, QStringLiteral("Name"), width * 30 / 100);
    list->InsertColumn(1, QStringLiteral("Path"), width * 70 / 100);
    const char* names[] = {"budget.ods", "letters", "photo-0142.jpg", "taxes-2025.pdf", "notes.txt"};
    for (int i = 0; i < 5; ++i) {
      const int row = list->InsertItem(i, QString::fromUtf8(names[i]), StandardIcon(i == 1 ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
      list->SetItemText(row, 1, QStringLiteral("/home/alice/Documents/") + QString::fromUtf8(names[i]));
    }
    list->SetSelected(1, true);
    list->SetSelected(3, true);
    list->SetCheck(3, true);
    list->Sort(0, true, false);
  });
  sheet.Create();
  // Keyboard focus on a text button shows its focus rectangle; an edit under the pointer its focus image.
  sheet.show();
  sheet.activateWindow();
  Settle();
  sheet.Item<nv::CZyButton>(2005)->setFocus();
  Hover(sheet.GetDlgItem(2022));
  Settle();
  return Capture(sheet);
}

QImage MessageBoxPicture(const QString& text, int icon, unsigned buttons) {
  nv::CZyMessageBox box;
  box.SetText(text);
  box.SetIcon(icon);
  box.SetButtons(buttons);
  box.Create();
  return Capture(box);
}

QImage PagePicture(int templateId) {
  const int background = templateId == 135 ? 45 : templateId == 136 ? 44 : templateId == 137 ? 43 : 46;
  Preview page(templateId, background, false, [templateId](Preview& p) {
    switch (templateId) {
      case 135: {
        FillFileList(*p.Item<nv::CZyListCtrl>(1014),
                     {{QStringLiteral("Projects"), QStringLiteral("/home/alice/Projects")},
                      {QStringLiteral("thesis.odt"), QStringLiteral("/home/alice/Documents/thesis.odt")},
                      {QStringLiteral("Photos"), QStringLiteral("/home/alice/Pictures/Photos")}});
        p.Item<nv::CZyListCtrl>(1014)->SetSelected(1, true);
        p.Item<QLineEdit>(1112)->setText(QStringLiteral("/media/backup/alice-2026-03.dfi"));
        p.Item<QLineEdit>(1114)->setText(QStringLiteral("/home/alice/Restored"));
        break;
      }
      case 136: {
        FillFileList(*p.Item<nv::CZyListCtrl>(1014),
                     {{QStringLiteral("old-statements"), QStringLiteral("/home/alice/old-statements")},
                      {QStringLiteral("draft.docx"), QStringLiteral("/home/alice/Desktop/draft.docx")},
                      {QStringLiteral("passport-scan.png"), QStringLiteral("/home/alice/Downloads/passport-scan.png")},
                      {QStringLiteral("tmp"), QStringLiteral("/home/alice/tmp")}});
        auto* list = p.Item<nv::CZyListCtrl>(1014);
        list->SetSelected(1, true);
        list->SetSelected(2, true);
        list->Sort(0, true, false);
        p.Item<QComboBox>(1038)->addItems(
            {QStringLiteral("Use Gutmann algorithm"), QStringLiteral("Erase and write random data"),
             QStringLiteral("Use National Safety Association Standard")});
        break;
      }
      case 137: {
        auto* list = p.Item<nv::CZyListCtrl>(1013);
        const int width = list->ClientWidth();
        const char* titles[] = {"Name", "Path", "Status", "Time"};
        const int shares[] = {20, 40, 20, 20};
        for (int c = 0; c < 4; ++c) list->InsertColumn(c, QString::fromUtf8(titles[c]), width * shares[c] / 100);
        list->SetExtendedStyle(nv::CZyListCtrl::kGridLines | nv::CZyListCtrl::kFullRowSelect);
        const char* rows[][4] = {{"diary.txt", "/home/alice/diary.txt", "Encrypted", "03-14-2026 09:12:40"},
                                 {"Contracts", "/home/alice/Contracts", "N/A", "03-15-2026 18:03:11"},
                                 {"keys.kdbx", "/home/alice/keys.kdbx", "Normal", "03-16-2026 07:45:02"}};
        for (int r = 0; r < 3; ++r) {
          list->InsertItem(r, QString::fromUtf8(rows[r][0]),
                           StandardIcon(r == 1 ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
          for (int c = 1; c < 4; ++c) list->SetItemText(r, c, QString::fromUtf8(rows[r][c]));
        }
        list->SetSelected(0, true);
        break;
      }
      default: {
        p.Item<QComboBox>(1117)->addItems({QStringLiteral("sdb1: PHOTOS"), QStringLiteral("sdc: ")});
        p.Item<nv::CZyStringStatic>(1093)->SetText(QStringLiteral("Please select a volumn."));
        break;
      }
    }
  });
  page.Create();
  return Capture(page);
}

QImage PasswordPicture() {
  Preview dialog(138, 0, true, [](Preview& p) {
    p.setWindowTitle(nv::LoadStringResource(176));
    p.Item<QLineEdit>(1021)->setText(QStringLiteral("correct horse"));
  });
  dialog.Create();
  dialog.show();
  dialog.activateWindow();
  Settle();
  dialog.GetDlgItem(1021)->setFocus();
  return Capture(dialog);
}

QImage ProgressPicture() {
  Preview dialog(163, 47, true, [](Preview& p) {
    p.Item<nv::CZyStringStatic>(1078)->SetText(QStringLiteral("Encrypting"));
    QFont caption = p.GetDlgItem(1078)->font();
    caption.setBold(true);
    p.GetDlgItem(1078)->setFont(caption);
    p.Item<nv::CZyStringStatic>(1081)->SetText(QStringLiteral("quarterly-summary-final.xlsx"));
    p.Item<nv::CZyStringStatic>(1080)->SetText(
        QStringLiteral("/home/alice/Documents/Reports/2026/March/quarterly-summary-final.xlsx"));
    p.Item<nv::CZyStringStatic>(1076)->SetText(QStringLiteral("42.5%"));
    p.Item<QProgressBar>(1048)->setValue(42);
    p.Item<nv::CZyStringStatic>(1082)->SetText(QStringLiteral("00:01:25"));
    p.Item<nv::CZyStringStatic>(1083)->SetText(QStringLiteral("00:01:55"));
    p.GetDlgItem(1045)->hide();
    p.AddOverlay(nv::WithWhiteTransparent(nv::LoadSkinBitmap(50)), p.GetDlgItem(1079)->geometry().topLeft());
  });
  dialog.Create();
  return Capture(dialog);
}

QImage LogPicture() {
  Preview dialog(187, 48, true, [](Preview& p) {
    auto* list = p.Item<nv::CZyListCtrl>(1043);
    list->InsertColumn(0, QStringLiteral("Operation Information"), list->ClientWidth(), Qt::AlignHCenter);
    list->SetExtendedStyle(nv::CZyListCtrl::kGridLines | nv::CZyListCtrl::kFullRowSelect);
    const QIcon error(QPixmap::fromImage(nv::WithWhiteTransparent(nv::LoadSkinBitmap(15))));
    for (const char* path : {"/home/alice/locked/report.pdf", "/media/usb/notes.txt", "/home/alice/.cache/blob"}) {
      list->InsertItem(list->GetItemCount(), QString::fromUtf8(path), error);
      list->InsertItem(list->GetItemCount(), QStringLiteral("Abnormal operation result"));
    }
    p.Item<nv::CZyStringStatic>(1086)->SetText(QStringLiteral("3"));
  });
  dialog.Create();
  return Capture(dialog);
}

QImage AboutPicture() {
  Preview dialog(196, 49, true, [](Preview& p) {
    const auto setText = [&p](int id, const QString& text, int pixels) {
      auto* label = p.Item<nv::CZyStringStatic>(id);
      QFont font(QStringLiteral("Tahoma"));
      font.setPixelSize(pixels);
      label->setFont(font);
      label->SetText(text);
    };
    setText(1028, nv::LoadStringResource(170), 14);
    setText(1121, nv::LoadStringResource(177), 12);
    setText(1122, QStringLiteral("Designed and developed by the Norvane team."), 12);
    p.Item<QLabel>(1118)->setText(QStringLiteral("<a href=\"https://example.org/guide\">https://example.org/guide</a>"));
    p.Item<QLabel>(1119)->setText(QStringLiteral("<a href=\"https://example.org\">example.org</a>"));
  });
  dialog.Create();
  return Capture(dialog);
}

QImage MainWindowPicture() {
  Preview main(102, 22, true, [](Preview& w) {
    w.setWindowTitle(nv::LoadStringResource(206));
    const QImage logo = nv::LoadSkinBitmap(23);
    const QImage separator = nv::LoadSkinBitmap(24);
    const QRect minimise = w.minimizeButton()->geometry();
    const int mw = minimise.width();
    const int s = minimise.left() - (separator.width() + mw / 2);
    w.AddOverlay(logo, w.GetDlgItem(1023)->geometry().topLeft());
    w.AddOverlay(separator, QPoint(s, minimise.top()));
    auto* about = w.Item<nv::CZyButton>(1046);
    about->SetImages(nv::GetSkinImagePath(40), nv::GetSkinImagePath(42), nv::GetSkinImagePath(41));
    about->SizeToImage();
    about->move(s - about->width() - mw / 2, minimise.top());
    auto* help = w.Item<nv::CZyButton>(1027);
    help->SetImages(nv::GetSkinImagePath(37), nv::GetSkinImagePath(39), nv::GetSkinImagePath(38));
    help->SizeToImage();
    help->move(s - about->width() - help->width() - mw / 2, minimise.top());
    help->SetState(nv::Focus);

    const QImage pageSize = nv::LoadSkinBitmap(43);
    QWidget* area = w.GetDlgItem(1006);
    area->resize(pageSize.size());
    const QRect pageRect = area->geometry();
    auto* page = new Preview(136, 44, false, nullptr, &w);
    page->Create();
    page->setGeometry(pageRect);
    page->show();

    const int ids[] = {1001, 1003, 1004, 1005};
    const int images[][3] = {{31, 33, 32}, {25, 27, 26}, {28, 30, 29}, {34, 36, 35}};
    const int q = w.height() / 4;
    const QSize template_ = w.GetDlgItem(1001)->size();
    for (int i = 0; i < 4; ++i) {
      auto* button = w.Item<nv::CZyButton>(ids[i]);
      button->SetImages(nv::GetSkinImagePath(images[i][0]), nv::GetSkinImagePath(images[i][1]),
                        nv::GetSkinImagePath(images[i][2]));
      button->move(pageRect.left() - template_.width(), q + i * template_.height());
      button->SizeToImage();
    }
    w.Item<nv::CZyButton>(1004)->SetKeepSelected(true);
    w.Item<nv::CZyButton>(1003)->SetState(nv::Focus);
    QPalette grey = w.GetDlgItem(1028)->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    w.GetDlgItem(1028)->setPalette(grey);
    w.Item<nv::CZyStringStatic>(1028)->SetText(nv::LoadStringResource(170));
  });
  main.Create();
  return Capture(main);
}

}  // namespace gallery
