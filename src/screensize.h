// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_SCREENSIZE_H
#define TARNWICK_SCREENSIZE_H

#include <QSize>

// The size of the whole virtual desktop in device pixels: what a game sees as
// the screen's resolution, even where Qt scales its own coordinates.
QSize desktopSizeInDevicePixels();

#endif
