// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_VIDEOSETTINGSSTORE_H
#define TARNWICK_VIDEOSETTINGSSTORE_H

#include <QString>
#include <QStringList>

#include <memory>

class SettingsBackend;

// The game's display resolution in its video settings: whether it is there,
// what it says, and storing a new one. Each use makes its own store.
class VideoSettingsStore
{
public:
    // The game's settings where this platform keeps them.
    VideoSettingsStore();
    explicit VideoSettingsStore(std::unique_ptr<SettingsBackend> backend);
    ~VideoSettingsStore();

    VideoSettingsStore(const VideoSettingsStore &) = delete;
    VideoSettingsStore &operator=(const VideoSettingsStore &) = delete;

    // Both the width and the height are stored as non-empty text.
    bool isGameFound() const;
    // The stored width and height as "width * height", whatever they hold.
    QString storedResolutionText() const;
    // Stores both texts as integers (a text that is no base-10 integer stores 0).
    // Returns whether both are now durably stored; if not, errorString() says why.
    bool writeResolution(const QString &widthText, const QString &heightText);
    QString errorString() const;

    // The key of the game's video settings, under HKEY_CURRENT_USER.
    static const QString KeyPath;
    // The same key's path components below HKEY_CURRENT_USER, as a Wine
    // prefix's user.reg names it.
    static QStringList keyPathBelowCurrentUser();

private:
    QString readText(const QString &name) const;

    std::unique_ptr<SettingsBackend> m_backend;
};

#endif
