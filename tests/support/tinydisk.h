#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#if defined(__linux__)
#include <sys/mount.h>
#endif

// A 16 KiB tmpfs mounted on a temporary folder for the test's lifetime (needs root;
// mounted() says whether it is there and whyNot() why not).
class TinyDisk {
public:
    TinyDisk() {
#if defined(__linux__)
        if (m_dir.isValid() && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(),
                                       "tmpfs", 0, "size=16k") == 0) {
            m_mounted = true;
        } else {
            m_whyNot = std::strerror(errno);
        }
#else
        m_whyNot = "tmpfs mounts need Linux";
#endif
    }
    ~TinyDisk() {
#if defined(__linux__)
        // Lazily: a file still open on it must not keep the mount.
        if (m_mounted) {
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
        }
#endif
    }
    bool mounted() const {
        return m_mounted;
    }
    std::string whyNot() const {
        return m_whyNot;
    }
    QString path() const {
        return m_dir.path();
    }
    QString filePath(const QString &name) const {
        return m_dir.filePath(name);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    std::string m_whyNot;
};
