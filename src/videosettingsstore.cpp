// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "videosettingsstore.h"
#include "resolutiontext.h"

#ifdef Q_OS_WIN
#include "registrybackend.h"
#else
#include "wineprefixbackend.h"
#endif

const QString VideoSettingsStore::KeyPath =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Blizzard Entertainment\\Warcraft III\\Video");

namespace {

const QString WidthName = QStringLiteral("reswidth");
const QString HeightName = QStringLiteral("resheight");

// On Windows the registry itself; elsewhere the game runs under Wine, whose
// registry file in the prefix holds the same key below HKEY_CURRENT_USER.
std::unique_ptr<SettingsBackend> platformBackend()
{
#ifdef Q_OS_WIN
    return std::make_unique<RegistryBackend>(VideoSettingsStore::KeyPath);
#else
    return std::make_unique<WinePrefixBackend>(WinePrefixBackend::defaultPrefix(),
                                               VideoSettingsStore::keyPathBelowCurrentUser());
#endif
}

} // namespace

QStringList VideoSettingsStore::keyPathBelowCurrentUser()
{
    return KeyPath.split(QLatin1Char('\\')).mid(1);
}

VideoSettingsStore::VideoSettingsStore()
    : VideoSettingsStore(platformBackend())
{
}

VideoSettingsStore::VideoSettingsStore(std::unique_ptr<SettingsBackend> backend)
    : m_backend(std::move(backend))
{
}

VideoSettingsStore::~VideoSettingsStore() = default;

bool VideoSettingsStore::isGameFound() const
{
    if (readText(WidthName).isEmpty())
        return false;
    return !readText(HeightName).isEmpty();
}

QString VideoSettingsStore::storedResolutionText() const
{
    const QString height = readText(HeightName);
    const QString width = readText(WidthName);
    return resolutionText(width, height);
}

bool VideoSettingsStore::writeResolution(const QString &widthText, const QString &heightText)
{
    m_backend->writeInt(WidthName, widthText.toInt(nullptr, 10));
    m_backend->writeInt(HeightName, heightText.toInt(nullptr, 10));
    return m_backend->commit();
}

QString VideoSettingsStore::errorString() const
{
    return m_backend->errorString();
}

QString VideoSettingsStore::readText(const QString &name) const
{
    return m_backend->readText(name);
}
