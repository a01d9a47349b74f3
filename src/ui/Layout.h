#pragma once

#include <QRect>

#include <array>

// Every layout number of the window, in twips (1/1440 inch) as the window was designed,
// and the one conversion to pixels.
namespace tavrel::layout {

struct Twips
{
    int left;
    int top;
    int width;
    int height;
};

// 15 twips make a pixel at 96 dpi; other densities scale with the screen's logical dpi.
int toPixels(int twips, qreal logicalDpi);
int toTwips(int pixels, qreal logicalDpi);
QRect toPixels(const Twips &rect, qreal logicalDpi);

inline constexpr int kClientWidth = 11295;
inline constexpr int kClientHeight = 6420;
inline constexpr Twips kTabStrip{75, 240, 11025, 5610};
inline constexpr int kStatusBarHeight = 300;
inline constexpr int kStatusPanel1MinWidth = 2200;
inline constexpr int kStatusPanel2MinWidth = 1200;
// The window sits this far from the screen's right edge and top.
inline constexpr int kWindowRightMargin = 100;
inline constexpr int kWindowTop = 1000;

// fraGlimra(0..20), relative to their tab.
inline constexpr std::array<Twips, 21> kFrames = {{
    {195, 650, 4215, 4140},   // 0 Devices
    {4485, 660, 3195, 3255},  // 1 Communication
    {150, 650, 4632, 4575},   // 2 Phidget 0/16/16 - 1 (level with its neighbour, frame 9)
    {4545, 3900, 3195, 1515}, // 3 Lighting Options
    {120, 2430, 5340, 1335},  // 4 Phidget TextLCD - 1
    {120, 405, 5340, 1995},   // 5 Phidget TextLED - 1
    {360, 650, 4812, 2145},   // 6 Phidget Servo / G-Suit Beta
    {150, 650, 4632, 4575},   // 7 PhidgetLED 64 - 1
    {4956, 650, 4632, 4575},  // 8 PhidgetLED 64 - 2
    {4956, 650, 4632, 4575},  // 9 Phidget 0/16/16 - 2
    {120, 3780, 3345, 1545},  // 10 DED
    {120, 540, 9075, 4725},   // 11 Analog Data
    {150, 650, 3945, 4575},   // 12 Left MFD
    {4215, 650, 3945, 4575},  // 13 Right MFD
    {7785, 2580, 3105, 1320}, // 14 Program Control
    {7785, 660, 3105, 1845},  // 15 EPIC Controls
    {3810, 3795, 3345, 1545}, // 16 PFD
    {5535, 405, 5340, 1995},  // 17 Phidget TextLED - 2
    {5535, 2430, 5340, 1335}, // 18 Phidget TextLCD - 2
    {3150, 630, 6330, 4260},  // 19 Epic Data Settings
    {7785, 3885, 3105, 1545}, // 20 SIOC/IOCP
}};

// The frames on each tab, in the order they are placed.
inline constexpr std::array<std::array<int, 6>, 10> kFramesOnTab = {{
    {3, 1, 0, 15, 14, 20},
    {7, 8, -1, -1, -1, -1},
    {2, 9, -1, -1, -1, -1},
    {18, 17, 16, 4, 5, 10},
    {11, -1, -1, -1, -1, -1},
    {6, -1, -1, -1, -1, -1},
    {12, 13, -1, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1},
    {19, -1, -1, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1},
}};

// grdTavrel(0..12): the frame each lies in (-1: directly on the "EPIC (USB)" tab) and its
// place there. Stretched grids end 300 or 400 twips above their frame's bottom, the
// distance the resize rule keeps.
struct GridPlace
{
    int frame;
    Twips rect;
};
inline constexpr std::array<GridPlace, 13> kGrids = {{
    {7, {120, 240, 4392, 4275}},   // 0 LED-64 1
    {8, {120, 240, 4392, 4275}},   // 1 LED-64 2
    {2, {120, 240, 4392, 4275}},   // 2 0/16/16 1
    {5, {120, 240, 5100, 1635}},   // 3 text LED 1
    {0, {120, 240, 3975, 3740}},   // 4 Devices
    {9, {120, 240, 4392, 4275}},   // 5 0/16/16 2
    {4, {120, 240, 5100, 975}},    // 6 text LCD 1
    {11, {120, 240, 8835, 4325}},  // 7 gauges
    {12, {120, 240, 3705, 4175}},  // 8 Left MFD
    {13, {120, 240, 3705, 4175}},  // 9 Right MFD
    {-1, {3270, 900, 6090, 3860}}, // 10 EPIC pigeonholes, within "Epic Data Settings"
    {17, {120, 240, 5100, 1635}},  // 11 text LED 2
    {18, {120, 240, 5100, 975}},   // 12 text LCD 2
}};

// The "EPIC (USB)" tab: the card's picture and the note under it.
inline constexpr Twips kEpicPicture{120, 630, 2910, 2180};
inline constexpr Twips kEpicNote{120, 2900, 2910, 900};
// The "EPIC Controls" frame's buttons, relative to the frame.
inline constexpr Twips kOpenEpic{105, 705, 1425, 345};
inline constexpr Twips kCloseEpic{1575, 705, 1425, 345};
// The "Switches" tab: the gear test.
inline constexpr Twips kGearUp{360, 720, 1500, 420};
inline constexpr Twips kGearDown{360, 1260, 1500, 420};
inline constexpr Twips kGearTimerEnabled{360, 1800, 2400, 300};

// The resize rule: the tab strip keeps these margins to the window's outer size, the
// stretched frames this margin to the tab strip, and their grids these to their frames.
inline constexpr int kTabStripWidthMargin = 300;
inline constexpr int kTabStripHeightMargin = 1500;
inline constexpr int kFrameMargin = 800;
inline constexpr int kGridMarginNarrow = 300;
inline constexpr int kGridMarginWide = 400;

} // namespace tavrel::layout
