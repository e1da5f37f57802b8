// How readable one colour is on another, and the least change of a colour, or
// of every pixel of an image, that makes it readable on a background. The
// measure is the contrast ratio of relative luminances (1 for equal colours,
// 21 for black on white); text wants 4.5, icons and other marks 3.
#pragma once

#include <QColor>
#include <QImage>

constexpr double kTextContrast = 4.5;
constexpr double kMarkContrast = 3.0;

// The colour that lies towardB of the way from a to b (0 is a, 1 is b).
QColor Mix(const QColor& a, const QColor& b, double towardB);

// The relative luminance of a colour, 0 for black to 1 for white.
double Luminance(const QColor& colour);
double ContrastRatio(const QColor& a, const QColor& b);
// Whether light marks read better on the colour than dark ones.
bool IsDark(const QColor& background);

// The colour itself if it reaches the ratio on the background, else the same
// hue made lighter (on a dark background) or darker (on a light one) just far
// enough, up to white or black.
QColor ReadableOn(const QColor& colour, const QColor& background, double ratio);

// The contrast a pixel of an image needs to stand out: the ratio for a grey,
// less for a vivid colour, which its hue sets apart as well.
double PixelContrastNeeded(const QColor& pixel, double ratio);

// The image itself if it stands out on the background (ImageReadability of 1
// or more), else every pixel made readable on it as ReadableOn does, to the
// contrast PixelContrastNeeded asks of it, its transparency kept.
QImage ReadableOn(const QImage& image, const QColor& background, double ratio);

// How well the image stands out on the background, by its outline (its
// visible pixels next to transparent ones): the share of the contrast they
// need (PixelContrastNeeded) that the better half of them reach. 1 or more
// reads well; low when the image fades into the background.
double ImageReadability(const QImage& image, const QColor& background, double ratio);
