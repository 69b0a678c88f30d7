// The look of the standard Qt controls (lists, combo boxes, progress bars,
// group boxes) that sit beside the skinned ones.
#pragma once

class QApplication;

namespace nv {

// Sets the widget style, colours and font that match the skin images. The
// windowed program calls it once after creating its application object.
void ApplySkinLook(QApplication& application);

}  // namespace nv
