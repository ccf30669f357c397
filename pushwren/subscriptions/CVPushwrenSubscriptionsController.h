#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "pushwren/platform/atomic_property.h"
#include "pushwren/platform/net/url_session.h"
#include "pushwren/platform/ui/activity_indicator_view.h"
#include "pushwren/platform/ui/view_controller.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsTableViewController.h"

namespace pushwren {

// The subscriptions screen. Each time it loads it downloads the manifest afresh, marks the items
// the user is subscribed to, hands the model to the embedded table, stops the spinner and shows
// the table. Every failure is logged with its detail and shown as one alert whose button closes
// the screen.
class CVPushwrenSubscriptionsController : public UIViewController {
 public:
  static constexpr const char* kClassName = "CVPushwrenSubscriptionsController";
  std::string className() const override { return kClassName; }

  // Starts the download and returns at once; the outcome arrives on the download's queue. The
  // download keeps this controller alive until its outcome is handled: closing the screen does
  // not cancel it. An absent URL is fetched as the empty one, which the download refuses with an
  // error, and is logged as "(null)".
  void loadManifestFromUrl(const std::optional<std::string>& url);
  // Shows the error alert on the main queue; callable from any thread.
  void failedWithUserMessage(const std::string& message);
  // Closes the screen.
  void closePressed(UIControl& sender);

  void prepareForSegue(const UIStoryboardSegue& segue, const std::shared_ptr<UIViewController>& sender) override;
  bool connectOutlet(std::string_view name, const std::shared_ptr<UIView>& view) override;
  UIControl::Action actionForSelector(std::string_view selector) override;

  std::shared_ptr<UIActivityIndicatorView> activityIndicator() const { return activityIndicator_.get(); }
  void setActivityIndicator(std::shared_ptr<UIActivityIndicatorView> indicator) {
    activityIndicator_.set(std::move(indicator));
  }
  std::shared_ptr<CVPushwrenSubscriptionsTableViewController> tableVC() const { return tableVC_.get(); }
  void setTableVC(std::shared_ptr<CVPushwrenSubscriptionsTableViewController> table) { tableVC_.set(std::move(table)); }

 protected:
  void viewDidLoad() override;

 private:
  std::shared_ptr<CVPushwrenSubscriptionsController> selfPointer();
  // The download's outcome, on its queue; `url` as the log prints it.
  void manifestDidLoad(const std::string& url, const std::string& body,
                       const std::shared_ptr<const URLResponse>& response, const std::optional<URLError>& error);

  AtomicProperty<std::shared_ptr<UIActivityIndicatorView>> activityIndicator_;
  AtomicProperty<std::shared_ptr<CVPushwrenSubscriptionsTableViewController>> tableVC_;
};

}  // namespace pushwren
