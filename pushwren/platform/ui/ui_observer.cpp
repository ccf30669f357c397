#include "pushwren/platform/ui/ui_observer.h"

#include <atomic>

namespace pushwren {
namespace {

std::atomic<UIObserver*> installed{nullptr};

}  // namespace

void setUIObserver(UIObserver* observer) { installed.store(observer); }

UIObserver* uiObserver() { return installed.load(); }

}  // namespace pushwren
