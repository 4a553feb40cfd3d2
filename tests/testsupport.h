// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_TESTSUPPORT_H
#define TARNWICK_TESTSUPPORT_H

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Helpers shared by the tests that work on a Wine prefix.
namespace TestSupport {

inline QByteArray readFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool writeFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A real user.reg written by Wine, from tests/data.
inline QByteArray fixture(const QString &name)
{
    const QByteArray bytes = readFile(QStringLiteral(TARNWICK_TEST_DATA "/") + name);
    if (bytes.isEmpty())
        qFatal("missing fixture %s", qPrintable(name));
    return bytes;
}

// The section of the game's video settings, as Wine writes it, with the given value lines.
inline QByteArray gameSection(const QByteArray &valueLines)
{
    return "\n[Software\\\\Blizzard Entertainment\\\\Warcraft III\\\\Video] 1796984432\n"
           "#time=1dd895940dbe668\n" + valueLines;
}

// A Wine prefix in a temporary folder whose user.reg holds the given bytes.
class Prefix
{
public:
    explicit Prefix(const QByteArray &userReg)
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(writeFile(registryFile(), userReg));
    }

    QString path() const { return m_dir.path(); }
    QString registryFile() const { return m_dir.filePath(QStringLiteral("user.reg")); }
    QByteArray contents() const { return readFile(registryFile()); }

private:
    QTemporaryDir m_dir;
};

// Holds the lock that a running Wine server holds for a prefix, on the same
// path, from a child process: a process never sees its own record locks.
// Uses the layout of Debian's Wine without a login session: the server folder
// sits in $TMPDIR under the name recorded in the prefix's `wineserver` file.
class WineServerLock
{
public:
    explicit WineServerLock(const QString &prefix)
    {
        QVERIFY(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        QVERIFY(writeFile(prefix + QStringLiteral("/wineserver"), "wine-tarnwick\n"));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(prefix).constData(), &info), 0);
        const QString serverDir = m_tmp.path() + QStringLiteral("/wine-tarnwick/server-%1-%2")
                                                     .arg(qulonglong(info.st_dev), 0, 16)
                                                     .arg(qulonglong(info.st_ino), 0, 16);
        QVERIFY(QDir().mkpath(serverDir));
        m_lockFile = QFile::encodeName(serverDir + QStringLiteral("/lock"));
        QVERIFY(writeFile(QFile::decodeName(m_lockFile), {}));

        int locked[2], release[2];
        QCOMPARE(::pipe(locked), 0);
        QCOMPARE(::pipe(release), 0);
        m_child = ::fork();
        if (m_child == 0) {
            ::close(locked[0]);
            ::close(release[1]);
            const int fd = ::open(m_lockFile.constData(), O_RDWR);
            struct flock lock = {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_len = 1;
            const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            (void)!::write(locked[1], &ok, 1);
            char byte;
            while (::read(release[0], &byte, 1) > 0) {
            }
            ::_exit(0);
        }
        ::close(locked[1]);
        ::close(release[0]);
        m_release = release[1];
        char ok = 'n';
        QCOMPARE(::read(locked[0], &ok, 1), ssize_t(1));
        ::close(locked[0]);
        QCOMPARE(ok, 'y');
    }

    ~WineServerLock()
    {
        if (m_release >= 0)
            ::close(m_release);
        if (m_child > 0)
            ::waitpid(m_child, nullptr, 0);
        qunsetenv("TMPDIR");
    }

private:
    QTemporaryDir m_tmp;
    QByteArray m_lockFile;
    pid_t m_child = -1;
    int m_release = -1;
};

} // namespace TestSupport

#endif
