// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_WINEPREFIXBACKEND_H
#define TARNWICK_WINEPREFIXBACKEND_H

#include "settingsbackend.h"
#include "wineregistryedit.h"

#include <QCoreApplication>
#include <QStringList>

#include <optional>
#include <sys/stat.h>

// The game's settings where Wine keeps them: a key of the current user's
// registry file, user.reg, in a Wine prefix. Reading scans the file once; a
// commit rewrites it in one atomic replace that changes only the values
// written, and refuses while Wine runs in the prefix, since Wine would then
// overwrite the file from memory.
class WinePrefixBackend final : public SettingsBackend
{
    Q_DECLARE_TR_FUNCTIONS(WinePrefixBackend)

public:
    // `keyPath` is relative to HKEY_CURRENT_USER, as user.reg spells its keys.
    WinePrefixBackend(const QString &prefix, const QStringList &keyPath);

    // $WINEPREFIX when set, else ~/.wine, as Wine itself picks it.
    static QString defaultPrefix();

    QString readText(const QString &name) override;
    void writeInt(const QString &name, int value) override;
    bool commit() override;
    QString errorString() const override;

private:
    // What tells one version of the file from another.
    struct FileIdentity
    {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        qint64 modifiedNs = 0;
        static FileIdentity of(const struct stat &info);
        bool operator==(const FileIdentity &other) const;
        bool operator!=(const FileIdentity &other) const { return !(*this == other); }
    };
    static std::optional<FileIdentity> identityOf(int fd);
    static std::optional<FileIdentity> identityOf(const QString &fileName);

    const WineRegistryKeyScan &scan();
    WineRegistryKeyScan readFile(WineRegistryScanner::Pace pace);
    bool store();
    bool fail(const QString &reason);

    QString m_prefix;
    QString m_fileName;
    QStringList m_keyPath;
    std::optional<WineRegistryKeyScan> m_scan;
    std::optional<FileIdentity> m_scannedIdentity;
    DwordValues m_pending;
    QString m_error;
};

#endif
