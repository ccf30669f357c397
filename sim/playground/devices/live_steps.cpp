#include "sim/playground/devices/live_steps.h"

#include <memory>
#include <vector>

#include <boost/json/serialize.hpp>

#include "sim/scenario/scenario_reader.h"

namespace pushwren::sim::playground {
namespace {

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += (text.empty() ? "" : ",") + line;
  return text;
}

// The steps of one request, run one after the other as each settles.
class LiveRun : public std::enable_shared_from_this<LiveRun> {
 public:
  LiveRun(boost::asio::io_context& io, Simulation& sim, std::vector<ScenarioStep> steps, const bool& stopping,
          StepRan ran, std::function<void(StepAnswer)> answer)
      : io_(io),
        sim_(sim),
        steps_(std::move(steps)),
        stopping_(stopping),
        ran_(std::move(ran)),
        answer_(std::move(answer)) {}

  void next() {
    if (done_ == steps_.size()) return answer_({200, "{" + traces() + "}"});
    const auto& step = steps_[done_];
    const auto from = sim_.trace().size();
    try {
      sim_.applyStep(step.kind->handler, StepFields(step.fields));
    } catch (const std::exception& e) {
      return fail(e.what());
    }
    if (ran_) ran_(step.fields, from);
    sim_.settleThen(io_, stopping_, [self = shared_from_this(), from] {
      self->lines_.push_back(self->sim_.trace().textLines(from));
      ++self->done_;
      self->next();
    });
  }

 private:
  void fail(const std::string& why) {
    if (steps_.size() == 1) {
      return answer_({400, boost::json::serialize(boost::json::object{{"error", why}})});
    }
    const auto number = std::to_string(done_ + 1);
    const auto error = boost::json::serialize(boost::json::value("step " + number + ": " + why));
    answer_({400, R"({"error":)" + error + R"(,"failedStep":)" + number + "," + traces() + "}"});
  }

  // The trace lines are JSON text already; they go into the answer as they are.
  std::string traces() const {
    std::vector<std::string> all;
    std::vector<std::string> each;
    for (const auto& lines : lines_) {
      all.insert(all.end(), lines.begin(), lines.end());
      each.push_back("[" + joined(lines) + "]");
    }
    return R"("trace":[)" + joined(all) + R"(],"steps":[)" + joined(each) + "]";
  }

  boost::asio::io_context& io_;
  Simulation& sim_;
  std::vector<ScenarioStep> steps_;
  const bool& stopping_;
  StepRan ran_;
  std::function<void(StepAnswer)> answer_;
  std::vector<std::vector<std::string>> lines_;
  std::size_t done_ = 0;
};

}  // namespace

void applyLiveSteps(boost::asio::io_context& io, Simulation& sim, std::string_view body, const bool& stopping,
                    StepRan ran, std::function<void(StepAnswer)> answer) {
  std::vector<ScenarioStep> steps;
  try {
    steps = readSteps(body);
  } catch (const StepError& e) {
    return answer({400, boost::json::serialize(boost::json::object{{"error", e.what()}})});
  }
  std::make_shared<LiveRun>(io, sim, std::move(steps), stopping, std::move(ran), std::move(answer))->next();
}

std::string stepListAnswer() { return boost::json::serialize(boost::json::object{{"steps", stepsAsJson()}}); }

}  // namespace pushwren::sim::playground
