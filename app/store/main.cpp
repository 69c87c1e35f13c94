#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "app/store/command_line.hpp"
#include "app/store/json_lines.hpp"
#include "core/system_sampler.hpp"
#include "platform/linux/linux_host.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const auto request = vantric::parseCommandLine(arguments);
    if (!request) {
        static_cast<void>(std::fprintf(stderr, "%.*s\n",
                                       static_cast<int>(vantric::usageLine.size()),
                                       vantric::usageLine.data()));
        return 2;
    }
    // Until the window exists, every run prints JSON lines.
    vantric::SystemSampler sampler(std::make_unique<vantric::LinuxHost>());
    return vantric::runJsonLines(sampler, request->count, stdout);
}
