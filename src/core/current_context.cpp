#include "core/current_context.h"

namespace vindra {

thread_local Context* currentContext = nullptr;

}  // namespace vindra
