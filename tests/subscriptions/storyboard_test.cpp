#include <gtest/gtest.h>

#include "pushwren/platform/bundle.h"
#include "pushwren/platform/ui/activity_indicator_view.h"
#include "pushwren/platform/ui/button.h"
#include "pushwren/platform/ui/storyboard.h"
#include "pushwren/platform/ui/storyboard_segue.h"
#include "pushwren/platform/ui/view_controller_registry.h"
#include "tests/subscriptions/temp_directory.h"

namespace pushwren {
namespace {

std::vector<std::string> events;

class EmbeddedScreen : public UIViewController {
 public:
  std::string className() const override { return "TestEmbeddedScreen"; }

 protected:
  void viewDidLoad() override { events.emplace_back("embedded viewDidLoad"); }
};

class OuterScreen : public UIViewController {
 public:
  std::string className() const override { return "TestOuterScreen"; }

  void prepareForSegue(const UIStoryboardSegue& segue, const std::shared_ptr<UIViewController>&) override {
    events.push_back("prepareForSegue " + segue.identifier() + " to " + segue.destinationViewController()->className() +
                     (segue.destinationViewController()->isViewLoaded() ? " (loaded)" : ""));
  }
  bool connectOutlet(std::string_view name, const std::shared_ptr<UIView>& view) override {
    if (name != "spinner") return false;
    spinner = std::dynamic_pointer_cast<UIActivityIndicatorView>(view);
    return true;
  }
  UIControl::Action actionForSelector(std::string_view selector) override {
    if (selector != "pressed:") return nullptr;
    return targetAction(std::static_pointer_cast<OuterScreen>(shared_from_this()), &OuterScreen::pressed);
  }
  void pressed(UIButton& sender) { events.push_back("pressed " + sender.title()); }

  std::shared_ptr<UIActivityIndicatorView> spinner;

 protected:
  void viewDidLoad() override { events.push_back(std::string("outer viewDidLoad, spinner ") + (spinner ? "connected" : "missing")); }
};

class Presenter : public UIViewController {
 public:
  std::string className() const override { return "TestPresenter"; }
};

class Storyboards : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registerViewControllerClass("TestOuterScreen", [] { return std::make_shared<OuterScreen>(); });
    registerViewControllerClass("TestEmbeddedScreen", [] { return std::make_shared<EmbeddedScreen>(); });
  }
  void SetUp() override { events.clear(); }

  std::shared_ptr<UIStoryboard> load(std::string_view text, std::string& whyNot) {
    bundleDirectory.write("Test.storyboard", text);
    return UIStoryboard::storyboardWithName("Test", NSBundle::bundleWithURL(bundleDirectory.path()), &whyNot);
  }

  testing::TempDirectory bundleDirectory;
};

constexpr auto kScreens = R"({"initialScene": "outer", "scenes": {
  "outer": {"class": "TestOuterScreen", "views": [
    {"class": "UIView", "embed": {"segue": "embedInner", "scene": "inner"}},
    {"class": "UIActivityIndicatorView", "outlet": "spinner", "animating": true},
    {"class": "UIButton", "identifier": "go", "title": "Go", "actions": [{"selector": "pressed:"}, {"selector": "unknown:"}]},
    {"class": "UILabel", "outlet": "unknownOutlet", "text": "Hello"}]},
  "inner": {"class": "TestEmbeddedScreen"}}})";

TEST_F(Storyboards, PresentingLoadsTheSceneEmbedsFirstThenTheScreensOwnViewDidLoad) {
  std::string whyNot;
  const auto storyboard = load(kScreens, whyNot);
  ASSERT_TRUE(storyboard) << whyNot;
  const auto screen = std::dynamic_pointer_cast<OuterScreen>(storyboard->instantiateInitialViewController());
  ASSERT_TRUE(screen);
  EXPECT_FALSE(screen->isViewLoaded());

  const auto presenter = std::make_shared<Presenter>();
  presenter->presentViewController(screen, true, nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"prepareForSegue embedInner to TestEmbeddedScreen",
                                              "embedded viewDidLoad", "outer viewDidLoad, spinner connected"}));
  ASSERT_EQ(screen->childViewControllers().size(), 1u);
  EXPECT_EQ(screen->childViewControllers()[0]->className(), "TestEmbeddedScreen");
  EXPECT_TRUE(screen->spinner->isAnimating());

  const auto button = screen->view()->findView<UIButton>([](const UIButton& b) { return b.accessibilityIdentifier() == "go"; });
  ASSERT_TRUE(button);
  button->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(events.back(), "pressed Go");
}

TEST_F(Storyboards, EachInstanceIsFresh) {
  std::string whyNot;
  const auto storyboard = load(kScreens, whyNot);
  ASSERT_TRUE(storyboard) << whyNot;
  EXPECT_NE(storyboard->instantiateInitialViewController(), storyboard->instantiateInitialViewController());
}

TEST_F(Storyboards, AFileThatIsNotAStoryboardIsRefusedWithTheReason) {
  const struct {
    const char* text;
    const char* why;
  } cases[] = {
      {"", "not JSON"},
      {R"({"initialScene": "a",)", "not JSON"},
      {"[]", "must be an object"},
      {R"({"scenes": {}})", "\"initialScene\" is missing"},
      {R"({"initialScene": "a"})", "no \"scenes\""},
      {R"({"initialScene": "a", "scenes": {}})", "initial scene \"a\" is not defined"},
      {R"({"initialScene": "a", "scenes": {"a": {}}})", "\"class\" is missing"},
      {R"({"initialScene": "a", "scenes": {"a": {"class": 5}}})", "\"class\" must be a string"},
      {R"({"initialScene": "a", "scenes": {"a": {"class": "A", "views": {}}}})", "\"views\" must be an array"},
      {R"({"initialScene": "a", "scenes": {"a": {"class": "A", "views": [{"class": "UIWebView"}]}}})",
       "unknown view class \"UIWebView\""},
      {R"({"initialScene": "a", "scenes": {"a": {"class": "A", "views": [{"class": "UIView", "animating": 1}]}}})",
       "\"animating\" must be true or false"},
      {R"({"initialScene": "a", "scenes": {"a": {"class": "A", "views": [{"class": "UIButton", "actions": [{"selector": "x:", "event": "swipe"}]}]}}})",
       "unknown event \"swipe\""},
      {R"({"initialScene": "a", "scenes": {"a": {"class": "A", "views": [{"class": "UIView", "embed": {"segue": "e", "scene": "b"}}]}}})",
       "embeds the unknown scene \"b\""},
      {R"({"initialScene": "a", "scenes": {"a": {"class": "A", "views": [{"class": "UIView", "embed": {"segue": "e", "scene": "b"}}]},
                                            "b": {"class": "B", "views": [{"class": "UIView", "embed": {"segue": "e", "scene": "a"}}]}}})",
       "embeds itself"},
      {R"({"initialScene": "a", "scenes": {"a": {"class": "A", "cellPrototypes": [{"reuseIdentifier": "C", "style": "fancy"}]}}})",
       "unknown cell style \"fancy\""},
  };
  for (const auto& c : cases) {
    std::string whyNot;
    EXPECT_FALSE(load(c.text, whyNot)) << c.text;
    EXPECT_NE(whyNot.find(c.why), std::string::npos) << c.text << "\n  why: " << whyNot;
  }
}

TEST_F(Storyboards, AMissingStoryboardIsNone) {
  std::string whyNot;
  EXPECT_FALSE(UIStoryboard::storyboardWithName("Test", NSBundle::bundleWithURL(bundleDirectory.path()), &whyNot));
  EXPECT_NE(whyNot.find("no Test.storyboard in"), std::string::npos) << whyNot;
}

}  // namespace
}  // namespace pushwren
