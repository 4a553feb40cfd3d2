// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "screensize.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

QSize desktopSizeInDevicePixels()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return {};

    // Qt's high-DPI scaling divides each screen's size by its pixel ratio but
    // leaves the screen's top-left corner in device pixels, so scaling the
    // sizes back and uniting the rectangles gives the desktop the game sees.
    QRect desktop;
    for (const QScreen *screen : primary->virtualSiblings()) {
        const QRect geometry = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        desktop |= QRect(geometry.topLeft(),
                         QSize(qRound(geometry.width() * ratio), qRound(geometry.height() * ratio)));
    }
    return desktop.size();
}
