// The colours and measures of the skin. Change the look here.
#pragma once

#include <QColor>

namespace skinart {

// Window chrome.
inline const QColor kHeader{0x14, 0x1B, 0x2D};        // caption band of every window
inline const QColor kHeaderHover{0x27, 0x32, 0x4C};   // caption button under the pointer
inline const QColor kHeaderPressed{0x0C, 0x11, 0x1E};
inline const QColor kHeaderGlyph{0xA9, 0xB4, 0xC6};   // caption glyphs at rest
inline const QColor kHeaderLine{0x33, 0x3F, 0x5A};    // separator in the caption band
inline const QColor kWordmark{0xF4, 0xF7, 0xFB};

// Surfaces.
inline const QColor kSurface{0xEE, 0xF2, 0xF7};       // main window body and navigation column
inline const QColor kPanel{0xFF, 0xFF, 0xFF};         // pages and dialog bodies
inline const QColor kPanelTint{0xF6, 0xF8, 0xFB};     // footers and page headers
inline const QColor kHairline{0xE3, 0xE8, 0xEF};
inline const QColor kBorder{0xD2, 0xDA, 0xE5};
inline const QColor kWindowBorder{0xB9, 0xC3, 0xD1};

// Accent and controls.
inline const QColor kAccent{0x2F, 0x6F, 0xED};
inline const QColor kAccentHover{0x4A, 0x83, 0xF3};
inline const QColor kAccentDeep{0x1E, 0x55, 0xC8};
inline const QColor kAccentSoft{0xE6, 0xEE, 0xFD};
inline const QColor kNavHover{0xE1, 0xE7, 0xF0};
inline const QColor kIconMuted{0x5F, 0x6E, 0x85};

// Meaning colours of the icons.
inline const QColor kOk{0x1E, 0x9E, 0x64};
inline const QColor kError{0xE0, 0x45, 0x4F};
inline const QColor kWarning{0xF2, 0xA6, 0x1B};
inline const QColor kTip{0x2F, 0x80, 0xED};
inline const QColor kAsk{0x6C, 0x5C, 0xE7};
inline const QColor kDecrypt{0x12, 0xA1, 0x8A};
inline const QColor kShred{0xE8, 0x5D, 0x1C};

// Glyphs inside icons: not pure white, which the program treats as transparent.
inline const QColor kGlyph{0xFE, 0xFE, 0xFE};
inline const QColor kWarningGlyph{0x3B, 0x2A, 0x05};

// Heights of the caption bands.
constexpr int kHeaderHeight = 36;
constexpr int kTallHeaderHeight = 60;
constexpr int kMainHeaderHeight = 72;

}  // namespace skinart
