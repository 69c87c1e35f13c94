#pragma once

#include <memory>

#include "app/store/process_sampler.hpp"

namespace vantric {

// The process sampler over this machine: its process table, and the desktop's applications
// with their entries and icons in the session's icon theme (hicolor without a GUI).
std::unique_ptr<ProcessSampler> makeMachineProcessSampler();

}  // namespace vantric
