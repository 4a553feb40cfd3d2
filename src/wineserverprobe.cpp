// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "wineserverprobe.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isLockedByAnotherProcess(const QString &lockFile)
{
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    const bool locked = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

// Debian's Wine keeps its server folder under a random name in the temporary
// folder and records that name in the prefix's `wineserver` file.
QString debianServerParent(const QString &prefix)
{
    QFile nameFile(prefix + QStringLiteral("/wineserver"));
    if (!nameFile.open(QIODevice::ReadOnly))
        return {};
    const QString name = QString::fromLocal8Bit(nameFile.readLine(256)).trimmed();
    if (!name.startsWith(QLatin1String("wine-")) || name.contains(QLatin1Char('/')))
        return {};
    QString temp = qEnvironmentVariable("TMPDIR");
    if (temp.isEmpty())
        temp = QStringLiteral("/tmp");
    return temp + QLatin1Char('/') + name;
}

} // namespace

QString runningWineServerLock(const QString &prefix)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(prefix).constData(), &info) != 0)
        return {};

    // The server folder is named after the prefix folder's device and inode.
    const QString serverName = QStringLiteral("server-%1-%2")
                                   .arg(qulonglong(info.st_dev), 0, 16)
                                   .arg(qulonglong(info.st_ino), 0, 16);
    const QString uid = QString::number(::getuid());
    QStringList parents = {
        QStringLiteral("/tmp/.wine-") + uid,           // upstream Wine
        QStringLiteral("/run/user/%1/wine").arg(uid), // Debian, in a login session
    };
    const QString debianParent = debianServerParent(prefix); // Debian otherwise
    if (!debianParent.isEmpty())
        parents << debianParent;

    for (const QString &parent : parents) {
        const QString lockFile = parent + QLatin1Char('/') + serverName + QStringLiteral("/lock");
        if (isLockedByAnotherProcess(lockFile))
            return lockFile;
    }
    return {};
}
