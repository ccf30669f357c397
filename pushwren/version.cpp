#include "pushwren/version.h"

namespace pushwren {

const char* version() { return PUSHWREN_VERSION_STRING; }

}  // namespace pushwren
