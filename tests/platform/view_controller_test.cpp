// Presenting and dismissing screens: what shows over what, and what presents nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "pushwren/platform/ui/view_controller.h"

namespace pushwren {
namespace {

class Screen : public UIViewController {
 public:
  std::string className() const override { return "Screen"; }
  int loads = 0;

 protected:
  void viewDidLoad() override { ++loads; }
};

std::shared_ptr<Screen> screen() { return std::make_shared<Screen>(); }

TEST(PresentViewController, ShowsTheScreenOverThePresenterAndLoadsItsView) {
  const auto root = screen();
  const auto shown = screen();
  bool completed = false;
  root->presentViewController(shown, true, [&] { completed = true; });
  EXPECT_TRUE(completed);
  EXPECT_EQ(root->presentedViewController(), shown);
  EXPECT_EQ(shown->presentingViewController(), root);
  EXPECT_EQ(shown->loads, 1);
}

// Each case sets a scene up from a root screen and asks for one presentation that cannot happen:
// nothing is presented and the completion does not run.
TEST(PresentViewController, PresentsNothingWhenItCannot) {
  // The presenter and the controller it is asked to present.
  using Attempt = std::pair<std::shared_ptr<UIViewController>, std::shared_ptr<UIViewController>>;
  struct Case {
    const char* name;
    Attempt (*setUp)(const std::shared_ptr<Screen>& root, const std::shared_ptr<Screen>& first);
  };
  const Case cases[] = {
      {"a screen already presented presents nothing",
       [](const auto& root, const auto& first) -> Attempt {
         root->presentViewController(first, false, nullptr);
         return {screen(), first};
       }},
      {"a presenter that already presents another",
       [](const auto& root, const auto& first) -> Attempt {
         root->presentViewController(first, false, nullptr);
         return {root, screen()};
       }},
      {"a dismissed screen",
       [](const auto& root, const auto& first) -> Attempt {
         root->presentViewController(first, false, nullptr);
         first->dismissViewControllerAnimated(false, nullptr);
         return {first, screen()};
       }},
      {"no controller",
       [](const auto& root, const auto&) -> Attempt {
         return {root, nullptr};
       }},
      {"itself",
       [](const auto& root, const auto&) -> Attempt {
         return {root, root};
       }},
  };
  for (const auto& c : cases) {
    const auto root = screen();
    const auto first = screen();
    const auto [presenter, controller] = c.setUp(root, first);
    const auto before = presenter->presentedViewController();
    bool completed = false;
    presenter->presentViewController(controller, true, [&] { completed = true; });
    EXPECT_FALSE(completed) << c.name;
    EXPECT_EQ(presenter->presentedViewController(), before) << c.name;
  }
}

TEST(PresentViewController, AScreenWhosePresenterHasGonePresentsNothing) {
  auto root = screen();
  const auto shown = screen();
  root->presentViewController(shown, false, nullptr);
  root.reset();
  const auto next = screen();
  shown->presentViewController(next, false, nullptr);
  EXPECT_EQ(shown->presentedViewController(), nullptr);
  EXPECT_EQ(next->loads, 0);
}

TEST(DismissViewController, ClosesThePresentedScreenOrElseItsOwn) {
  // From the presenter.
  {
    const auto root = screen();
    const auto shown = screen();
    root->presentViewController(shown, false, nullptr);
    bool completed = false;
    root->dismissViewControllerAnimated(true, [&] { completed = true; });
    EXPECT_TRUE(completed);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(shown->presentingViewController(), nullptr);
  }
  // From the presented screen itself: the presenter can present again afterwards.
  {
    const auto root = screen();
    const auto shown = screen();
    root->presentViewController(shown, false, nullptr);
    shown->dismissViewControllerAnimated(true, nullptr);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    const auto again = screen();
    root->presentViewController(again, false, nullptr);
    EXPECT_EQ(root->presentedViewController(), again);
  }
}

TEST(DismissViewController, TakesTheScreensPresentedOverTheDismissedOneWithIt) {
  const auto root = screen();
  const auto middle = screen();
  const auto top = screen();
  root->presentViewController(middle, false, nullptr);
  middle->presentViewController(top, false, nullptr);
  root->dismissViewControllerAnimated(false, nullptr);
  EXPECT_EQ(middle->presentedViewController(), nullptr);
  EXPECT_EQ(top->presentingViewController(), nullptr);
  // The closed top screen shows no more, so it presents nothing.
  const auto next = screen();
  top->presentViewController(next, false, nullptr);
  EXPECT_EQ(top->presentedViewController(), nullptr);
}

TEST(DismissViewController, ARootThatPresentsNothingStillRunsTheCompletion) {
  const auto root = screen();
  bool completed = false;
  root->dismissViewControllerAnimated(false, [&] { completed = true; });
  EXPECT_TRUE(completed);
}

}  // namespace
}  // namespace pushwren
