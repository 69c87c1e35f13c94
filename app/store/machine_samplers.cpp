#include "app/store/machine_samplers.hpp"

#include <QGuiApplication>
#include <QIcon>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/linux/gpu_clients.hpp"
#include "platform/linux/linux_app_directory.hpp"
#include "platform/linux/linux_host.hpp"
#include "platform/linux/linux_process_table.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {

MachineSamplers makeMachineSamplers() {
    // Qt knows the desktop's icon theme only with a GUI; the JSON lines, which name icons but
    // draw none, do without.
    const std::string theme = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                  ? QIcon::themeName().toStdString()
                                  : std::string("hicolor");
    // The window and the widget host installed beside it are one application, the one the
    // desktop entry names; the host has no entry of its own. Read from the kernel, as the process
    // table reads every program: Qt's own answer needs an application object, which --json has
    // not.
    std::error_code unreadable;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", unreadable);
    std::vector<std::string> ownPrograms;
    if (!unreadable) {
        ownPrograms = {self.string(), (self.parent_path() / "vantric-widget-host").string()};
    }
    const auto gpuClients = std::make_shared<GpuClients>();
    return MachineSamplers{
        .system = std::make_unique<SystemSampler>(
            std::make_unique<LinuxHost>("/", LinuxHost::Options{.gpuClients = gpuClients})),
        .processes = std::make_unique<ProcessSampler>(
            std::make_unique<LinuxProcessTable>(
                "/", LinuxProcessTable::Options{.gpuClients = gpuClients}),
            std::make_unique<LinuxAppDirectory>(LinuxAppDirectory::forThisSession(
                theme, std::string(applicationIdentifier), std::move(ownPrograms)))),
    };
}

}  // namespace vantric
