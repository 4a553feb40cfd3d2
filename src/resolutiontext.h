// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_RESOLUTIONTEXT_H
#define TARNWICK_RESOLUTIONTEXT_H

#include <QSize>
#include <QString>

// A resolution as the window shows it: "1024 * 768". The parts are the texts
// given, which for a stored resolution need not be numbers, or even present.
inline QString resolutionText(const QString &width, const QString &height)
{
    return width + QStringLiteral(" * ") + height;
}

inline QString resolutionText(const QSize &size)
{
    return resolutionText(QString::number(size.width()), QString::number(size.height()));
}

#endif
