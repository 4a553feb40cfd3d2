// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "registrybackend.h"

#include <QCoreApplication>

RegistryBackend::RegistryBackend(const QString &keyPath)
    : m_settings(keyPath, QSettings::NativeFormat, nullptr)
{
}

QString RegistryBackend::readText(const QString &name)
{
    return m_settings.value(name, QVariant()).toString();
}

void RegistryBackend::writeInt(const QString &name, int value)
{
    m_settings.setValue(name, QVariant(value));
    // The registry writes at once, and a refusal shows here, not at sync().
    noteStatus();
}

bool RegistryBackend::commit()
{
    m_settings.sync();
    noteStatus();
    const bool stored = !m_refused;
    m_refused = false;
    return stored;
}

QString RegistryBackend::errorString() const
{
    return m_error;
}

void RegistryBackend::noteStatus()
{
    switch (m_settings.status()) {
    case QSettings::NoError:
        return;
    case QSettings::AccessError:
        m_error = QCoreApplication::translate("RegistryBackend", "Access to %1 was denied.")
                      .arg(m_settings.fileName());
        break;
    case QSettings::FormatError:
        m_error = QCoreApplication::translate("RegistryBackend", "%1 could not be read.").arg(m_settings.fileName());
        break;
    }
    m_refused = true;
}
