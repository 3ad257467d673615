// SPDX-License-Identifier: MIT
#ifndef HOLVANE_MAIN_WINDOW_DESIGN_H_
#define HOLVANE_MAIN_WINDOW_DESIGN_H_

// The window's fixed design, which every view lays its controls out by: the
// client area and each control's place in twips (1/1440 inch) from the
// client area's top left corner, and the button's caption. The tab order is
// the order of the controls here: Drive1, Dir1, File1, Command1.
namespace holvane::ui::design {

struct TwipRect {
  int left;
  int top;
  int width;
  int height;
};

inline constexpr int kClientWidth = 5880;
inline constexpr int kClientHeight = 4305;

inline constexpr TwipRect kDrive1{120, 120, 2775, 315};
inline constexpr TwipRect kDir1{120, 480, 2775, 3240};
inline constexpr TwipRect kFile1{3000, 120, 2775, 3600};
inline constexpr TwipRect kCommand1{3840, 3840, 1935, 375};

// UTF-8.
inline constexpr char kCommand1Caption[] = "Конвертировать";

// Pixels at 96 dots per inch, where 15 twips make one; a view scales them
// for a denser screen as its toolkit does.
constexpr int Px(int twips) { return twips / 15; }

}  // namespace holvane::ui::design

#endif  // HOLVANE_MAIN_WINDOW_DESIGN_H_
