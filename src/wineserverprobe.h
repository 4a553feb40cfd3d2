// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_WINESERVERPROBE_H
#define TARNWICK_WINESERVERPROBE_H

#include <QString>

// While a Wine server runs for a prefix it holds the registry in memory and
// writes it back over user.reg, so an edit made meanwhile is lost. A running
// server holds a POSIX record lock on the `lock` file of its server folder;
// this finds that lock without taking it, waiting or signalling anyone.
//
// Returns the lock file that a running server holds, or an empty string.
QString runningWineServerLock(const QString &prefix);

#endif
