#pragma once

#include <cstdio>
#include <string_view>

#include "app/store/process_sampler.hpp"
#include "core/system_sampler.hpp"

namespace vantric {

// Serves the machine's readings for Prometheus on address ("[ADDRESS:]PORT") until SIGINT or
// SIGTERM. Says where it listens, or in one line why it cannot, on `messages`.
// Returns the exit status: 0 when stopped, 2 when the address is wrong or cannot be listened on.
int runServe(SystemSampler& system, ProcessSampler& processes, std::string_view address,
             std::FILE* messages);

}  // namespace vantric
