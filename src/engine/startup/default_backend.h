#pragma once

#include <memory>

#include "engine/core/backend.h"

namespace engine {

// The backend the engine uses when none was installed: the browser named by the engine
// folder beside the executable, or null when there is none.
std::shared_ptr<Backend> MakeDefaultBackend();

}  // namespace engine
