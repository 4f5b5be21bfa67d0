#include "engine/default_backend.h"

namespace engine {

std::shared_ptr<Backend> MakeDefaultBackend() {
  return nullptr;
}

}  // namespace engine
