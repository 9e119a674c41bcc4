#ifndef BEHAVIORTREE_CPP_V3_UTILS_SIGNAL_H
#define BEHAVIORTREE_CPP_V3_UTILS_SIGNAL_H

#include <functional>
#include <memory>
#include <vector>

namespace BT
{
/// Observer list. A subscription lasts as long as the returned Subscriber.
template <typename... CallableArgs>
class Signal
{
public:
  using CallableFunction = std::function<void(CallableArgs...)>;
  using Subscriber = std::shared_ptr<CallableFunction>;

  void notify(CallableArgs... args)
  {
    for (std::size_t i = 0; i < subscribers_.size();) {
      if (auto subscriber = subscribers_[i].lock()) {
        (*subscriber)(args...);
        ++i;
      } else {
        subscribers_.erase(subscribers_.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }

  Subscriber subscribe(CallableFunction function)
  {
    auto subscriber = std::make_shared<CallableFunction>(std::move(function));
    subscribers_.emplace_back(subscriber);
    return subscriber;
  }

private:
  std::vector<std::weak_ptr<CallableFunction>> subscribers_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_UTILS_SIGNAL_H
