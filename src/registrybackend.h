// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_REGISTRYBACKEND_H
#define TARNWICK_REGISTRYBACKEND_H

#include "settingsbackend.h"

#include <QSettings>

// The game's settings in the Windows registry, through QSettings in its native
// format. (Where the native format is a file, the key path names that file.)
class RegistryBackend final : public SettingsBackend
{
public:
    explicit RegistryBackend(const QString &keyPath);

    QString readText(const QString &name) override;
    void writeInt(const QString &name, int value) override;
    bool commit() override;
    QString errorString() const override;

private:
    void noteStatus();

    QSettings m_settings;
    bool m_refused = false;
    QString m_error;
};

#endif
