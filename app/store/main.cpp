#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include "app/serve/serve.hpp"
#include "app/store/command_line.hpp"
#include "app/store/json_lines.hpp"
#include "app/store/machine_samplers.hpp"
#include "app/store/metrics_store.hpp"
#include "app/store/process_sampler.hpp"
#include "app/store/single_instance.hpp"
#include "app/window/main_view.hpp"
#include "app/window/main_window.hpp"
#include "app/window/page.hpp"
#include "app/window/pending_layouts.hpp"
#include "app/window/startup_trace.hpp"
#include "core/system_info.hpp"
#include "manual/vantric.hpp"
#include "platform/linux/linux_machine_facts.hpp"
#include "platform/linux/runtime_folder.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace {

using vantric::CommandLine;

constexpr std::uint64_t defaultScreenshotReadings = 3;

// The arguments' problem and the usage line on standard error.
int usage(const std::string& problem) {
    static_cast<void>(std::fprintf(stderr, "vantric: %s\n%.*s", problem.c_str(),
                                   static_cast<int>(vantric::manual::usage.size()),
                                   vantric::manual::usage.data()));
    return 2;
}

// Standard output is checked once flushed: a full disk or a closed pipe is a failure to say.
int printed(int written) {
    if (written < 0 || std::fflush(stdout) != 0) {
        static_cast<void>(std::fprintf(stderr, "vantric: cannot write to standard output\n"));
        return 1;
    }
    return 0;
}

void configureApplication() {
    QApplication::setApplicationName(QStringLiteral("Vantric"));
    QApplication::setOrganizationName(QStringLiteral("Vantric"));
    QApplication::setDesktopFileName(QString::fromLatin1(vantric::applicationIdentifier));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vantric.svg")));
}

// Runs the real window without a display, waits for the readings, writes the window as PNG.
int screenshot(int argc, char** argv, const CommandLine& request) {
    const auto page = vantric::pageNamed(request.page.value_or("overview"));
    if (!page) {
        return usage("--page needs overview, cpu, memory, gpu or widgets, not \"" + *request.page +
                     "\"");
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    configureApplication();
    auto& store = vantric::MetricsStore::shared();
    store.start();
    vantric::MainWindow window(store);
    window.view().setPage(*page);
    window.show();

    const std::uint64_t wanted = request.readings.value_or(defaultScreenshotReadings);
    const auto capture = [&] {
        // A reading's figures are laid out before the window paints them; a grab paints at once.
        vantric::settlePendingLayouts();
        const QPixmap picture = window.grab();
        if (!picture.save(QString::fromStdString(*request.screenshot), "PNG")) {
            static_cast<void>(
                std::fprintf(stderr, "vantric: cannot write %s\n", request.screenshot->c_str()));
            return 1;
        }
        return 0;
    };
    if (wanted == 0) {
        return capture();
    }
    std::uint64_t seen = 0;
    // Connected after the window's own handlers, so it sees the reading drawn.
    QObject::connect(&store, &vantric::MetricsStore::changed, &window, [&] {
        if (++seen == wanted) {
            QApplication::exit(capture());
        }
    });
    return QApplication::exec();
}

int runWindow(int argc, char** argv, const CommandLine& request) {
    QApplication application(argc, argv);
    configureApplication();
    QStringList urls;
    for (const std::string& url : request.urls) {
        urls.append(QString::fromStdString(url));
    }
    // Without a folder of this user's own there is no socket that only this user could have
    // made, and the window runs without being found by the next launch.
    std::optional<vantric::SingleInstance> instance;
    if (const auto folder = vantric::privateRuntimeFolder()) {
        instance.emplace(*folder);
    } else {
        static_cast<void>(std::fprintf(stderr,
                                       "vantric: no private runtime folder: the next "
                                       "launch will open a window of its own\n"));
    }
    switch (instance ? instance->claim(urls) : vantric::SingleInstance::Role::running) {
    case vantric::SingleInstance::Role::forwarded: return 0;
    case vantric::SingleInstance::Role::failed:
        static_cast<void>(std::fprintf(stderr,
                                       "vantric: another instance holds %s but does not answer\n",
                                       instance->socketPath().toLocal8Bit().constData()));
        return 1;
    case vantric::SingleInstance::Role::running: break;
    }

    auto& store = vantric::MetricsStore::shared();
    store.start();
    vantric::MainWindow window(store);
    const vantric::StartupTrace trace(window, store);
    for (const std::string& url : request.urls) {
        window.view().openUrl(url);
    }
    if (instance) {
        QObject::connect(&*instance, &vantric::SingleInstance::urlReceived, &window,
                         [&window](const QString& url) {
                             window.view().openUrl(url.toStdString());
                             window.bringForward();
                         });
        QObject::connect(&*instance, &vantric::SingleInstance::raiseRequested, &window,
                         [&window] { window.bringForward(); });
    }
    // As on any Linux desktop without a tray, closing the one window quits the application.
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto request = vantric::parseCommandLine(arguments);
    if (!request) {
        return usage(request.problem);
    }
    if (request->help) {
        return printed(std::printf("%.*s", static_cast<int>(vantric::manual::help.size()),
                                   vantric::manual::help.data()));
    }
    if (request->version) {
        return printed(std::printf("vantric %.*s\n",
                                   static_cast<int>(vantric::manual::version.size()),
                                   vantric::manual::version.data()));
    }
    if (request->info) {
        vantric::LinuxMachineFacts facts;
        const auto info = vantric::SystemInfo::current(facts);
        return printed(std::printf("%s\n", vantric::toJson(info).dump().c_str()));
    }
    if (request->json) {
        const auto samplers = vantric::makeMachineSamplers();
        return vantric::runJsonLines(*samplers.system, *samplers.processes, request->count, stdout);
    }
    if (request->serve) {
        const auto samplers = vantric::makeMachineSamplers();
        return vantric::runServe(*samplers.system, *samplers.processes, *request->serve, stderr);
    }
    if (request->screenshot) {
        return screenshot(argc, argv, *request.request);
    }
    return runWindow(argc, argv, *request.request);
}
