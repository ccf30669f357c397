#include "pushwren/subscriptions/CVPushwrenSubscriptionsController.h"

#include "pushwren/contracts/host/app_config.h"
#include "pushwren/contracts/onesignal/onesignal.h"
#include "pushwren/platform/log.h"
#include "pushwren/platform/main_queue.h"
#include "pushwren/platform/ui/alert_controller.h"
#include "pushwren/platform/ui/storyboard_segue.h"

namespace pushwren {
namespace {

constexpr const char* kUserMessage = "Error retrieving tag list";

}  // namespace

std::shared_ptr<CVPushwrenSubscriptionsController> CVPushwrenSubscriptionsController::selfPointer() {
  return std::static_pointer_cast<CVPushwrenSubscriptionsController>(weak_from_this().lock());
}

void CVPushwrenSubscriptionsController::viewDidLoad() {
  UIViewController::viewDidLoad();
  loadManifestFromUrl(CorvaneAppConfig::sharedAppConfig()->oneSignalV5TagsJsonUrl());
}

void CVPushwrenSubscriptionsController::loadManifestFromUrl(const std::optional<std::string>& url) {
  auto configuration = URLSessionConfiguration::defaultSessionConfiguration();
  configuration.requestCachePolicy = URLSessionConfiguration::CachePolicy::ReloadIgnoringLocalCacheData;
  configuration.urlCache = false;
  const auto session = URLSession::sessionWithConfiguration(configuration);
  session
      ->dataTaskWithURL(url.value_or(""),
                        [self = selfPointer(), url = logDescription(url)](const std::string& body,
                                                    const std::shared_ptr<const URLResponse>& response,
                                                    const std::optional<URLError>& error) {
                          if (self) self->manifestDidLoad(url, body, response, error);
                        })
      ->resume();
}

void CVPushwrenSubscriptionsController::manifestDidLoad(const std::string& url, const std::string& body,
                                                        const std::shared_ptr<const URLResponse>& response,
                                                        const std::optional<URLError>& error) {
  if (error) {
    NSLog("An error occurred retrieving " + url + ": " + error->description);
    return failedWithUserMessage(kUserMessage);
  }
  if (!response || !response->isHTTP()) {
    NSLog("Response is not http");
    return failedWithUserMessage(kUserMessage);
  }
  if (*response->statusCode != 200) {
    NSLog("Got status " + std::to_string(*response->statusCode) + " when retrieving " + url);
    return failedWithUserMessage(kUserMessage);
  }
  const auto model = CVPushwrenSubscriptionsModel::modelWithJSONData(body);
  if (!model) {
    NSLog("Invalid JSON from " + url);
    return failedWithUserMessage(kUserMessage);
  }

  const auto sdk = OneSignal::shared();
  if (const auto tags = sdk->User().getTags()) model->markSubscribedItems(*tags);
  if (const auto table = tableVC()) table->loadModel(model);

  // Scheduled after the table's reload, so the table shows the model before it becomes visible.
  dispatchAsyncMain([self = selfPointer()] {
    if (!self) return;
    if (const auto spinner = self->activityIndicator()) spinner->stopAnimating();
    if (const auto table = self->tableVC()) table->view()->setHidden(false);
  });
}

void CVPushwrenSubscriptionsController::failedWithUserMessage(const std::string& message) {
  dispatchAsyncMain([self = selfPointer(), message] {
    if (!self) return;
    auto alert = UIAlertController::alertControllerWithTitle("Error", message, UIAlertControllerStyle::Alert);
    alert->addAction(UIAlertAction::actionWithTitle(
        "OK", UIAlertActionStyle::Default,
        [screen = std::weak_ptr<CVPushwrenSubscriptionsController>(self)](const UIAlertAction&) {
          // The alert has gone by now, so this closes the subscriptions screen itself.
          if (const auto strong = screen.lock()) strong->dismissViewControllerAnimated(true, nullptr);
        }));
    // From a screen already closed this shows nothing.
    self->presentViewController(alert, true, nullptr);
  });
}

void CVPushwrenSubscriptionsController::prepareForSegue(const UIStoryboardSegue& segue,
                                                        const std::shared_ptr<UIViewController>&) {
  if (segue.identifier() == "embedTable") {
    setTableVC(std::dynamic_pointer_cast<CVPushwrenSubscriptionsTableViewController>(segue.destinationViewController()));
  }
}

void CVPushwrenSubscriptionsController::closePressed(UIControl&) { dismissViewControllerAnimated(true, nullptr); }

bool CVPushwrenSubscriptionsController::connectOutlet(std::string_view name, const std::shared_ptr<UIView>& view) {
  if (name != "activityIndicator") return false;
  setActivityIndicator(std::dynamic_pointer_cast<UIActivityIndicatorView>(view));
  return true;
}

UIControl::Action CVPushwrenSubscriptionsController::actionForSelector(std::string_view selector) {
  if (selector != "closePressed:") return nullptr;
  return targetAction(selfPointer(), &CVPushwrenSubscriptionsController::closePressed);
}

}  // namespace pushwren
