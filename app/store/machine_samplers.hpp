#pragma once

#include <memory>

#include "app/store/process_sampler.hpp"
#include "core/system_sampler.hpp"

namespace vantric {

// The samplers over this machine, to be used together on one thread, the process pass before
// the accelerators (as takeReading does): the process table finds the processes' GPU clients,
// from which the host counts the loads of cards that publish no load of their own.
struct MachineSamplers {
    std::unique_ptr<SystemSampler> system;
    // Its process table, and the desktop's applications with their entries and icons in the
    // session's icon theme (hicolor without a GUI).
    std::unique_ptr<ProcessSampler> processes;
};

MachineSamplers makeMachineSamplers();

}  // namespace vantric
