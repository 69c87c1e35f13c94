#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "app/store/command_line.hpp"
#include "app/store/json_lines.hpp"
#include "app/store/process_sampler.hpp"
#include "core/system_info.hpp"
#include "core/system_sampler.hpp"
#include "platform/linux/linux_host.hpp"
#include "platform/linux/linux_machine_facts.hpp"
#include "platform/linux/linux_process_table.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto request = vantric::parseCommandLine(arguments);
    if (!request) {
        static_cast<void>(std::fprintf(stderr, "%.*s\n",
                                       static_cast<int>(vantric::usageLine.size()),
                                       vantric::usageLine.data()));
        return 2;
    }
    if (request->info) {
        vantric::LinuxMachineFacts facts;
        const auto info = vantric::SystemInfo::current(facts);
        return std::printf("%s\n", vantric::toJson(info).dump().c_str()) < 0 ? 1 : 0;
    }
    // Until the window exists, every other run prints JSON lines.
    vantric::SystemSampler system(std::make_unique<vantric::LinuxHost>());
    vantric::ProcessSampler processes(std::make_unique<vantric::LinuxProcessTable>());
    return vantric::runJsonLines(system, processes, request->count, stdout);
}
