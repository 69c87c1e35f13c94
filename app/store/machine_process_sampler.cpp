#include "app/store/machine_process_sampler.hpp"

#include <QGuiApplication>
#include <QIcon>

#include "platform/linux/linux_app_directory.hpp"
#include "platform/linux/linux_process_table.hpp"

namespace vantric {

std::unique_ptr<ProcessSampler> makeMachineProcessSampler() {
    // Qt knows the desktop's icon theme only with a GUI; the JSON lines, which name icons but
    // draw none, do without.
    const std::string theme = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                  ? QIcon::themeName().toStdString()
                                  : std::string("hicolor");
    return std::make_unique<ProcessSampler>(
        std::make_unique<LinuxProcessTable>(),
        std::make_unique<LinuxAppDirectory>(LinuxAppDirectory::forThisSession(theme)));
}

}  // namespace vantric
