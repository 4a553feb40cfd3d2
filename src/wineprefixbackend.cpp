// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "wineprefixbackend.h"
#include "wineserverprobe.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString RegistryFileName = QStringLiteral("user.reg");

// A file or folder that grants no one write access was made read-only on
// purpose, and stays so even for root, whom access() would let through.
bool isMarkedReadOnly(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0)
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.constData(), W_OK) != 0;
}

// After a rename, the folder's entry must reach the disk too.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

WinePrefixBackend::WinePrefixBackend(const QString &prefix, const QStringList &keyPath)
    : m_prefix(prefix)
    , m_fileName(prefix + QLatin1Char('/') + RegistryFileName)
    , m_keyPath(keyPath)
{
}

QString WinePrefixBackend::defaultPrefix()
{
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty())
        return QDir::homePath() + QStringLiteral("/.wine");
    while (prefix.size() > 1 && prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    return prefix;
}

QString WinePrefixBackend::readText(const QString &name)
{
    return scan().value(name).toString();
}

void WinePrefixBackend::writeInt(const QString &name, int value)
{
    m_pending.append({name, quint32(value)});
}

bool WinePrefixBackend::commit()
{
    if (m_pending.isEmpty())
        return true;
    const bool stored = store();
    m_pending.clear();
    // Whatever happened, the next read looks at the file afresh.
    m_scan.reset();
    m_scannedIdentity.reset();
    return stored;
}

QString WinePrefixBackend::errorString() const
{
    return m_error;
}

bool WinePrefixBackend::FileIdentity::operator==(const FileIdentity &other) const
{
    return device == other.device && inode == other.inode && size == other.size && modifiedNs == other.modifiedNs;
}

WinePrefixBackend::FileIdentity WinePrefixBackend::FileIdentity::of(const struct stat &info)
{
    return {info.st_dev, info.st_ino, info.st_size, qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::optional<WinePrefixBackend::FileIdentity> WinePrefixBackend::identityOf(int fd)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return FileIdentity::of(info);
}

std::optional<WinePrefixBackend::FileIdentity> WinePrefixBackend::identityOf(const QString &fileName)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity::of(info);
}

const WineRegistryKeyScan &WinePrefixBackend::scan()
{
    if (m_scan)
        return *m_scan;
    for (const auto pace : {WineRegistryScanner::Pace::Skim, WineRegistryScanner::Pace::Exact}) {
        m_scan = readFile(pace);
        if (!m_scan->needsExactScan)
            break;
    }
    return *m_scan;
}

// A small buffer, whatever the file's size: a lived-in prefix's user.reg runs
// to many megabytes, and the key sits anywhere in it.
WineRegistryKeyScan WinePrefixBackend::readFile(WineRegistryScanner::Pace pace)
{
    m_scannedIdentity.reset();
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    const auto identity = identityOf(file.handle());
    WineRegistryScanner scanner(m_keyPath, WineRegistryScanner::View::Program32Bit, pace);
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(buffer.data(), buffer.size())) > 0)
        scanner.feed(buffer.constData(), got);
    if (got < 0)
        return {};
    m_scannedIdentity = identity;
    return scanner.finish();
}

bool WinePrefixBackend::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool WinePrefixBackend::store()
{
    const QString shownName = QDir::toNativeSeparators(m_fileName);
    const QString wineRunning =
        tr("Wine is running in %1. Close the game and any other Windows program running there, then save again.")
            .arg(QDir::toNativeSeparators(m_prefix));
    const QString changed =
        tr("%1 was changed by another program while saving. Nothing was written; please save again.").arg(shownName);

    const WineRegistryKeyScan &scanned = scan();
    if (!m_scannedIdentity)
        return fail(tr("There is no readable Wine registry file at %1.").arg(shownName));
    if (!scanned.isRegistryFile)
        return fail(tr("%1 is not a Wine registry file, so it was left alone.").arg(shownName));
    if (!runningWineServerLock(m_prefix).isEmpty())
        return fail(wineRunning);

    // A symlinked user.reg keeps its link; the file it points to is replaced.
    const QFileInfo target(QFileInfo(m_fileName).canonicalFilePath());
    if (isMarkedReadOnly(target.filePath()))
        return fail(tr("%1 is read-only.").arg(shownName));
    if (isMarkedReadOnly(target.path()))
        return fail(tr("The folder %1 is read-only.").arg(QDir::toNativeSeparators(target.path())));

    QFile source(m_fileName);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(tr("Could not read %1: %2").arg(shownName, source.errorString()));
    if (identityOf(source.handle()) != m_scannedIdentity)
        return fail(changed);

    // Written beside the old file, synced, then renamed over it: a crash at any
    // moment leaves the old file or the new one. Unbuffered, so that a short
    // write (a full disk) shows in write() instead of vanishing into commit().
    QSaveFile replacement(m_fileName);
    if (!replacement.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(tr("Could not write %1: %2").arg(shownName, replacement.errorString()));
    QString reason;
    const auto splices = dwordSplices(scanned, m_pending, QDateTime::currentSecsSinceEpoch());
    if (!copyWithSplices(source, replacement, splices, &reason)) {
        replacement.cancelWriting();
        return fail(tr("Could not write %1: %2").arg(shownName, reason));
    }

    // A last look just before the rename.
    if (!runningWineServerLock(m_prefix).isEmpty()) {
        replacement.cancelWriting();
        return fail(wineRunning);
    }
    if (identityOf(m_fileName) != m_scannedIdentity) {
        replacement.cancelWriting();
        return fail(changed);
    }
    if (!replacement.commit())
        return fail(tr("Could not replace %1: %2").arg(shownName, replacement.errorString()));
    syncFolder(target.path());
    return true;
}
