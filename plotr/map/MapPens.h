#pragma once

// The pens and brushes every map layer shares; cosmetic solid pens unless stated.

#include <array>

#include "platform/gdi/Dc.h"

namespace mappens {

using gdi::Brush;
using gdi::Pen;
using gdi::PenStyle;

inline constexpr Pen PenPrintBlack = Pen::Cosmetic(0x000000);
inline constexpr Pen PenGridDark = Pen::Cosmetic(0x404040);
inline constexpr Pen PenGreyDark = Pen::Cosmetic(0x606060);
inline constexpr Pen PenGreyLight = Pen::Cosmetic(0xC0C0C0);
inline constexpr Pen PenCoastDay = Pen::Cosmetic(0x0080C0);
inline constexpr Pen PenCoastNight = Pen::Cosmetic(0x006096);
inline constexpr Pen PenRiverDay = Pen::Cosmetic(0xFFC0C0);
inline constexpr Pen PenRiverNight = Pen::Cosmetic(0xC00000);
inline constexpr Pen PenRiverPrint = Pen::Cosmetic(0xFF0000);
inline constexpr Pen PenAirspaceDark = Pen::Cosmetic(0x7E620A);
inline constexpr Pen PenAirspaceLight = Pen::Cosmetic(0xF5D778);
inline constexpr Pen PenAirspaceDarkWide = Pen::Geometric(30, 0x7E620A);
inline constexpr Pen PenAirspaceLightWide = Pen::Geometric(30, 0xF5D778);
inline constexpr Pen PenTrackLightWide = Pen::Geometric(30, 0xC0C0C0);
inline constexpr Pen PenTrackDarkWide = Pen::Geometric(30, 0x606060);
inline constexpr Pen PenRed = Pen::Cosmetic(0x0000FF);
inline constexpr Pen PenGreen = Pen::Cosmetic(0x008000);
inline constexpr Pen PenLime = Pen::Cosmetic(0x00FF00);
inline constexpr Pen PenBlue = Pen::Cosmetic(0xFF0000);
inline constexpr Pen PenAmber = Pen::Cosmetic(0x00AADC);
inline constexpr Pen PenYellow = Pen::Cosmetic(0x00C0FF);

// Airway colours by airway type, solid and dotted.
inline constexpr std::array<gdi::ColorRef, 8> kAirwayColors = {0x32AF46, 0x3232AF, 0xAF6032, 0x32AFAF,
                                                               0x469646, 0x464696, 0x966046, 0x469696};
constexpr Pen PenAirway(int i) { return Pen::Cosmetic(kAirwayColors[i & 7]); }
constexpr Pen PenAirwayDotted(int i) { return Pen::Cosmetic(kAirwayColors[i & 7], PenStyle::Dot); }

inline constexpr Brush BrushGreen = Brush::Solid(0x008000);
inline constexpr Brush BrushLime = Brush::Solid(0x00FF00);
inline constexpr Brush BrushYellow = Brush::Solid(0x00C0FF);
inline constexpr Brush BrushGreyDark = Brush::Solid(0x606060);
inline constexpr Brush BrushGreyLight = Brush::Solid(0xC0C0C0);
inline constexpr Brush BrushRed = Brush::Solid(0x0000FF);
inline constexpr Brush BrushAmber = Brush::Solid(0x00AADC);
inline constexpr Brush BrushBrown = Brush::Solid(0x004060);
inline constexpr Brush BrushOchre = Brush::Solid(0x0078B4);

// Map background by colour scheme (white, blue, black).
inline constexpr std::array<gdi::ColorRef, 3> kBackgroundColors = {0xFFFFFF, 0x400000, 0x000000};

}  // namespace mappens
