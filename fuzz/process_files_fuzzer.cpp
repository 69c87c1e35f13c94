// The files of /proc/PID and what the process's application is told by: stat, statm and status,
// cgroup, the environment, a sandbox's /.flatpak-info, the path of the executable and the fdinfo
// of a GPU client (whose driver name and counters a client can set, and whose process can be
// anyone's). Any process
// of the user's can write its own name, environment and executable path, so all of it is
// untrusted. Every parser reads the same input.

#include <cstdint>
#include <limits>
#include <string>

#include "fuzz/fuzz_check.hpp"
#include "platform/linux/app_identity.hpp"
#include "platform/linux/device_slot.hpp"
#include "platform/linux/drm_client_usage.hpp"
#include "platform/linux/drm_fdinfo.hpp"
#include "platform/linux/process_name.hpp"
#include "platform/linux/process_roles.hpp"
#include "platform/linux/process_stat.hpp"
#include "platform/linux/program_names.hpp"
#include "platform/linux/text_fields.hpp"

namespace vantric {
namespace {

void fuzzStat(std::string_view text) {
    if (const auto stat = parseProcessStat(text)) {
        fuzzCheck(isViewInto(stat->name, text), "the name is a view into the stat line");
        // The stat line stands in for a command line: a name is only ever completed, and a
        // script is one of its arguments, no option.
        if (const auto script = scriptArgument(text)) {
            fuzzCheck(isViewInto(*script, text) && !script->empty() && !script->starts_with('-') &&
                          script->find('\0') == std::string_view::npos,
                      "a script is a whole argument of the command line");
        }
        if (const auto whole = uncutName(stat->name, firstArgument(text))) {
            fuzzCheck(whole->size() > longestComm && whole->starts_with(stat->name),
                      "a completed name continues the kernel's");
        }
    }
    if (const auto lineage = parseProcessLineage(text)) {
        fuzzCheck(isViewInto(lineage->name, text), "the name is a view into the stat line");
        fuzzCheck(lineage->parent >= 0 && lineage->session >= 0, "process ids are not negative");
        static_cast<void>(isTerminalName(lineage->name));
        static_cast<void>(isShellSessionName(lineage->name));
        static_cast<void>(isDesktopShellName(lineage->name));
    }
    // The process table counts memory in bytes: status's resident and swapped kB added, or statm's
    // private pages (of up to 64 KiB, on arm64 and POWER) plus status's swapped kB.
    constexpr std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    if (const auto memory = parseStatusMemory(text)) {
        fuzzCheck(memory->resident <= largest / 1024 &&
                      memory->swapped <= largest / 1024 - memory->resident,
                  "a process's memory fits in bytes");
    }
    if (const auto pages = parseStatmPrivatePages(text)) {
        fuzzCheck(*pages <= (largest - largestKilobytes * 1024) / 65536,
                  "a process's private pages and swap fit in bytes");
    }
}

void fuzzApplication(std::string_view text) {
    fuzzCheck(unescapeUnitName(text).size() <= text.size(), "unescaping never lengthens a name");
    const auto path = unifiedCgroupPath(text);
    fuzzCheck(!path || isViewInto(*path, text), "the cgroup path is a view into the file");
    // The whole input as a path too, so that a path needs no "0::" line in front to be reached.
    for (const std::string_view cgroup : {path.value_or(std::string_view()), text}) {
        if (const auto application = applicationOfCgroup(cgroup)) {
            fuzzCheck(!application->appId.empty(), "an application has an id");
            fuzzCheck(application->snapName.empty() ||
                          application->appId.starts_with(application->snapName + "_"),
                      "a snap's application id starts with the snap's name");
        }
    }
    if (const auto name = flatpakApplicationName(text)) {
        fuzzCheck(!name->empty() && name->find('\n') == std::string::npos,
                  "a sandbox's application name is one line");
    }
    if (const auto snap = snapOfExecutable(text)) {
        fuzzCheck(!snap->appId.empty() && snap->appId == snap->snapName &&
                      snap->appId.find('/') == std::string::npos,
                  "a snap's executable names its snap");
    }
    if (const auto name = appImageMountName(text)) {
        fuzzCheck(!name->empty() && isViewInto(*name, text),
                  "an AppImage's mount names its AppImage");
    }
    fuzzCheck(isViewInto(appImageName(text), text), "an AppImage's name is a view into its path");
    if (const auto value = environmentValue(text, "APPIMAGE")) {
        fuzzCheck(isViewInto(*value, text) && value->find('\0') == std::string_view::npos,
                  "a variable's value is one entry of the environment");
    }
}

void fuzzGpuClient(std::string_view text) {
    const auto slot = kernelPciSlot(text);
    fuzzCheck(!slot || (slot->size() >= 12 && slot->size() <= 17), "a slot has the kernel's form");
    static_cast<void>(drmDeviceName(text, "card0"));
    const auto client = parseDrmFdinfo(text);
    if (!client) {
        return;
    }
    for (const DrmEngineCounters& engine : client->engines) {
        fuzzCheck(engine.capacity >= 1, "an engine class has at least one engine");
        fuzzCheck(engine.busyNs || (engine.cycles && engine.totalCycles),
                  "an engine has counters a share can be made of");
    }
    fuzzCheck(client->memory.videoResident <= largestBufferBytes &&
                  client->memory.systemResident <= largestBufferBytes &&
                  client->memory.videoTotal <= largestBufferBytes &&
                  client->memory.systemTotal <= largestBufferBytes,
              "a client's memory is held below wrapping");
    // The same client read twice, the second time with every counter doubled: shares stay within
    // the whole whatever the counters say.
    DrmClientUsage usage;
    DrmClientReading reading{.device = client->pciDevice, .holder = 1, .counters = *client};
    usage.measure({reading}, 1000);
    for (DrmEngineCounters& engine : reading.counters.engines) {
        for (auto* counter : {&engine.busyNs, &engine.cycles, &engine.totalCycles}) {
            if (*counter) {
                **counter = **counter * 2 + 1;
            }
        }
    }
    const DrmUsage shares = usage.measure({reading}, 2000);
    for (const auto& [device, figures] : shares.devices) {
        fuzzCheck(!figures.busy || (*figures.busy >= 0 && *figures.busy <= 1),
                  "a device's share is a fraction");
    }
}

}  // namespace
}  // namespace vantric

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantric;
    const std::string_view text = fuzzText(data, size);
    fuzzStat(text);
    fuzzApplication(text);
    fuzzGpuClient(text);
    return 0;
}
