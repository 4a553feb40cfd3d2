// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "textencoding.h"

#include <QtGlobal>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

void useUtf8ForNarrowText()
{
    // Qt 5 still lets the locale's codec differ from UTF-8 (Latin-1 under LC_ALL=C).
    // Literals and translation sources are UTF-8 on both majors, and Qt 6 takes
    // locale text as UTF-8 on every platform, so Qt 6 has nothing to set.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
#endif
}
