// The dialog templates of the program. Positions and sizes are in dialog
// units; the skin images are drawn to match them.
#include "skin/resources.h"

#include <deque>

namespace nv {
namespace {

using K = ControlKind;

std::vector<DialogTemplate> BuiltInTemplates() {
  return {
      // Main window.
      {102, 498, 307, kVisible | kAppWindow,
       {
           {1006, K::kStatic, "", 127, 49, 365, 241, kHidden},
           {1023, K::kStatic, "", 3, 3, 199, 39, kHidden},
           {1057, K::kStatic, "", 447, 3, 3, 15, kHidden},
           {1028, K::kStringStatic, "", 453, 293, 37, 8, 0},
           {1001, K::kButton, "Backup", 7, 143, 119, 33, 0},
           {1003, K::kButton, "Encryptor", 8, 79, 120, 31, 0},
           {1004, K::kButton, "Shredder", 8, 108, 119, 35, 0},
           {1005, K::kButton, "Locker", 9, 176, 119, 30, 0},
           {1027, K::kButton, "", 337, 3, 37, 14, 0},
           {1046, K::kButton, "", 380, 3, 59, 14, 0},
       }},
      // Backup page.
      {135, 365, 241, kVisible | kChild,
       {
           {1108, K::kStringStatic,
            "File Backup helps you to backup personal data and keep it safe.", 44, 9, 311, 20,
            kWordWrap},
           {kStaticId, K::kGroupBox, "Backup", 6, 36, 353, 120, 0},
           {1014, K::kList, "", 14, 48, 337, 83, 0},
           {1015, K::kGeneralButton, "Add Files", 14, 136, 56, 14, 0},
           {1016, K::kGeneralButton, "Add Folder", 74, 136, 56, 14, 0},
           {1010, K::kGeneralButton, "Remove", 134, 136, 56, 14, 0},
           {1087, K::kGeneralButton, "Select All", 235, 136, 56, 14, 0},
           {1001, K::kGeneralButton, "Backup", 295, 136, 56, 14, 0},
           {1113, K::kGroupBox, "Recovery", 6, 161, 353, 75, 0},
           {1115, K::kStringStatic, "Image Path", 14, 177, 48, 8, 0},
           {1112, K::kEdit, "", 64, 174, 227, 14, 0},
           {1046, K::kGeneralButton, "Browse", 295, 174, 56, 14, 0},
           {1116, K::kStringStatic, "Destination\nPath", 14, 191, 48, 21, 0},
           {1114, K::kEdit, "", 64, 195, 227, 14, 0},
           {1044, K::kGeneralButton, "Browse", 295, 195, 56, 14, 0},
           {1045, K::kGeneralButton, "Recover", 295, 216, 56, 14, 0},
       }},
      // Shredder page.
      {136, 365, 241, kVisible | kChild,
       {
           {1108, K::kStringStatic,
            "File Shredder helps you to shred all unwanted data completely and make sure no one "
            "can recover in the future.",
            44, 9, 311, 20, kWordWrap},
           {1014, K::kList, "", 10, 36, 345, 146, 0},
           {1015, K::kGeneralButton, "Add Files", 10, 188, 56, 14, 0},
           {1016, K::kGeneralButton, "Add Folder", 70, 188, 56, 14, 0},
           {1010, K::kGeneralButton, "Remove", 130, 188, 56, 14, 0},
           {1087, K::kGeneralButton, "Select All", 299, 188, 56, 14, 0},
           {kStaticId, K::kStatic, "Erase method:", 10, 217, 52, 8, 0},
           {1038, K::kComboBox, "", 64, 214, 200, 14, 0},
           {1018, K::kGeneralButton, "Shred", 299, 214, 56, 14, 0},
       }},
      // Encryptor page.
      {137, 365, 241, kVisible | kChild,
       {
           {1108, K::kStringStatic,
            "File Encryptor applies AES algorithm to encrypt your personal data and no one can "
            "get access to it.",
            44, 9, 311, 20, kWordWrap},
           {1013, K::kList, "", 10, 36, 345, 172, kSingleSelection},
           {1110, K::kGeneralButton, "Add File", 10, 216, 56, 14, 0},
           {1111, K::kGeneralButton, "Add Folder", 70, 216, 56, 14, 0},
           {1010, K::kGeneralButton, "Remove", 130, 216, 56, 14, 0},
           {1009, K::kGeneralButton, "Encrypt", 239, 216, 56, 14, 0},
           {1011, K::kGeneralButton, "Decrypt", 299, 216, 56, 14, 0},
       }},
      // Password dialog.
      {138, 220, 128, 0,
       {
           {1093, K::kStringStatic, "Please input password.", 14, 32, 192, 10, 0},
           {1065, K::kStringStatic, "Password", 14, 53, 48, 8, 0},
           {1021, K::kGeneralEdit, "", 64, 50, 142, 14, kMasked},
           {1033, K::kStringStatic, "Confirm", 14, 73, 48, 8, 0},
           {1020, K::kGeneralEdit, "", 64, 70, 142, 14, kMasked},
           {IDOK, K::kGeneralButton, "OK", 52, 102, 50, 14, kDefaultButton},
           {IDCANCEL, K::kGeneralButton, "Cancel", 118, 102, 50, 14, 0},
       }},
      // Locker page.
      {140, 365, 241, kVisible | kChild,
       {
           {1108, K::kStringStatic,
            "Locker helps you to lock your usb disk so that no one can access it without permit.",
            44, 9, 311, 20, kWordWrap},
           {kStaticId, K::kStatic, "USB disk", 70, 72, 225, 8, 0},
           {1117, K::kComboBox, "", 70, 83, 225, 14, 0},
           {1093, K::kStringStatic, "Please select a usb disk.", 70, 102, 225, 8, 0},
           {1044, K::kGeneralButton, "Lock", 116, 124, 60, 14, 0},
           {1045, K::kGeneralButton, "Unlock", 188, 124, 60, 14, 0},
       }},
      // Progress dialog.
      {163, 300, 150, 0,
       {
           {1079, K::kStatic, "", 12, 30, 24, 20, kHidden},
           {1078, K::kStringStatic, "", 44, 31, 244, 10, 0},
           {1081, K::kStringStatic, "", 44, 43, 244, 9, kPathEllipsis},
           {1080, K::kStringStatic, "", 12, 60, 276, 9, kPathEllipsis},
           {1048, K::kProgress, "", 12, 74, 238, 9, 0},
           {1076, K::kStringStatic, "0%", 254, 74, 34, 9, kRight},
           {1084, K::kStatic, "Elapsed Time:", 12, 92, 58, 8, 0},
           {1082, K::kStringStatic, "00:00:00", 72, 92, 60, 8, 0},
           {1085, K::kStatic, "Remaining Time:", 150, 92, 66, 8, 0},
           {1083, K::kStringStatic, "00:00:00", 218, 92, 60, 8, 0},
           {1046, K::kGeneralButton, "Pause", 92, 124, 56, 14, 0},
           {1045, K::kGeneralButton, "Resume", 92, 124, 56, 14, 0},
           {1088, K::kGeneralButton, "Abort", 152, 124, 56, 14, 0},
       }},
      // Message box.
      {165, 204, 109, 0,
       {
           {1052, K::kGeneralButton, "Button1", 25, 90, 50, 14, 0},
           {1053, K::kGeneralButton, "Button2", 77, 90, 50, 14, 0},
           {1055, K::kGeneralButton, "Button3", 129, 90, 50, 14, 0},
           {1051, K::kStatic, "", 11, 31, 24, 20, kHidden},
           {1054, K::kStatic, "", 42, 31, 146, 46, kWordWrap},
       }},
      // Operation log window.
      {187, 320, 196, 0,
       {
           {1043, K::kList, "", 3, 44, 313, 106, 0},
           {kStaticId, K::kStatic, "Total:", 11, 154, 36, 8, 0},
           {1086, K::kStringStatic, "0", 49, 154, 60, 8, 0},
           {1044, K::kGeneralButton, "Save", 67, 178, 50, 14, 0},
           {1045, K::kGeneralButton, "Clear", 134, 178, 50, 14, 0},
           {IDCANCEL, K::kGeneralButton, "Close", 203, 178, 50, 14, 0},
       }},
      // About box.
      {196, 316, 183, 0,
       {
           {1028, K::kStringStatic, "", 8, 43, 100, 8, 0},
           {1121, K::kStringStatic, "", 8, 58, 300, 31, kWordWrap},
           {1118, K::kLink, "", 8, 87, 152, 14, 0},
           {1122, K::kStringStatic, "", 8, 107, 299, 18, kWordWrap},
           {1119, K::kLink, "", 8, 122, 139, 14, 0},
           {IDOK, K::kGeneralButton, "OK", 132, 161, 50, 14, kDefaultButton},
       }},
  };
}

// A deque keeps the addresses handed out by FindDialogTemplate valid.
std::deque<DialogTemplate>& Registered() {
  static std::deque<DialogTemplate> templates;
  return templates;
}

template <typename Container>
const DialogTemplate* FindIn(const Container& templates, int id) {
  for (const auto& t : templates) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
  static const std::vector<DialogTemplate> builtIn = BuiltInTemplates();
  if (const DialogTemplate* found = FindIn(Registered(), id)) return found;
  return FindIn(builtIn, id);
}

void RegisterDialogTemplate(const DialogTemplate& dialogTemplate) {
  auto& templates = Registered();
  for (auto& t : templates) {
    if (t.id == dialogTemplate.id) {
      t = dialogTemplate;
      return;
    }
  }
  templates.push_back(dialogTemplate);
}

const ControlTemplate* FindControl(const DialogTemplate& dialogTemplate, int id) {
  for (const auto& c : dialogTemplate.controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

}  // namespace nv
