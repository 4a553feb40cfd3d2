// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_SETTINGSBACKEND_H
#define TARNWICK_SETTINGSBACKEND_H

#include <QString>

// Where the game's settings are kept, reduced to what the store asks of it.
// Writes are staged until commit(), which stores them all or none.
class SettingsBackend
{
public:
    virtual ~SettingsBackend() = default;

    // The named value as text; empty when it is not stored.
    virtual QString readText(const QString &name) = 0;
    virtual void writeInt(const QString &name, int value) = 0;
    // Whether every value written since the last commit is now durably stored.
    virtual bool commit() = 0;
    // Why the last commit failed, in words a player understands.
    virtual QString errorString() const = 0;
};

#endif
