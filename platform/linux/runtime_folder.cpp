#include "platform/linux/runtime_folder.hpp"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace vantric {

std::optional<QString> privateRuntimeFolder() {
    const QString session = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!session.isEmpty()) {
        return session;
    }
    const QString own =
        QDir(QDir::tempPath())
            .filePath(QStringLiteral("vantric-%1").arg(static_cast<qulonglong>(geteuid())));
    return isPrivateFolder(own) ? std::optional(own) : std::nullopt;
}

bool isPrivateFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    // lstat, so that a link another user planted is not followed to a folder of theirs.
    struct stat status {};
    if (lstat(name.constData(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != geteuid()) {
        return false;
    }
    // Ours, but opened to others (by hand, or a umask at its making): closed again.
    return (status.st_mode & 077) == 0 || chmod(name.constData(), 0700) == 0;
}

}  // namespace vantric
