#include "widget_host/bundle_loader.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

namespace vantric {

QString installedBundlePath() {
    return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath())
                               .filePath(QStringLiteral(VANTRIC_WIDGET_PLUGIN_FROM_BINDIR)));
}

LoadedBundle loadBundle(const QString& path) {
    const QFileInfo file(path);
    // QPluginLoader searches the library paths for a name that is no existing file.
    if (!file.isFile()) {
        return {.error = QStringLiteral("no such file")};
    }
    QPluginLoader loader(file.absoluteFilePath());
    QObject* const instance = loader.instance();
    if (instance == nullptr) {
        return {.error = loader.errorString()};
    }
    auto* const bundle = qobject_cast<WidgetBundle*>(instance);
    if (bundle == nullptr) {
        return {.error = QStringLiteral("it is not a widget bundle (%1)")
                             .arg(QLatin1String(VantricWidgetBundle_iid))};
    }
    return {.bundle = bundle};
}

}  // namespace vantric
