#include "plugin/CVPushwren.h"

namespace pushwren {

std::shared_ptr<NSBundle> CVPushwren::getBundle() const { return nullptr; }

}  // namespace pushwren
