#ifndef BEHAVIORTREE_CPP_V3_UTILS_EXPECTED_HPP
#define BEHAVIORTREE_CPP_V3_UTILS_EXPECTED_HPP

#include <exception>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

// The subset of nonstd::expected (the proposal std::expected grew from) that
// BehaviorTree.CPP's Optional<T> and Result are built on.
namespace nonstd
{
template <typename E>
class unexpected_type
{
public:
  explicit unexpected_type(E error) : error_(std::move(error)) {}

  const E & value() const & { return error_; }

  E && value() && { return std::move(error_); }

private:
  E error_;
};

template <typename E>
unexpected_type<std::decay_t<E>> make_unexpected(E && error)
{
  return unexpected_type<std::decay_t<E>>(std::forward<E>(error));
}

class bad_expected_access : public std::exception
{
public:
  const char * what() const noexcept override { return "bad_expected_access"; }
};

template <typename T, typename E>
class expected
{
public:
  using value_type = T;
  using error_type = E;

  expected() : storage_(std::in_place_index<0>) {}

  template <
    typename U = T,
    typename = std::enable_if_t<
      std::is_constructible_v<T, U &&> && !std::is_same_v<std::decay_t<U>, expected>>>
  expected(U && value) : storage_(std::in_place_index<0>, std::forward<U>(value))
  {
  }

  template <typename G>
  expected(unexpected_type<G> error) : storage_(std::in_place_index<1>, std::move(error).value())
  {
  }

  bool has_value() const noexcept { return storage_.index() == 0; }

  explicit operator bool() const noexcept { return has_value(); }

  const T & value() const &
  {
    check();
    return std::get<0>(storage_);
  }

  T & value() &
  {
    check();
    return std::get<0>(storage_);
  }

  T && value() &&
  {
    check();
    return std::get<0>(std::move(storage_));
  }

  template <typename U>
  T value_or(U && fallback) const &
  {
    return has_value() ? std::get<0>(storage_) : static_cast<T>(std::forward<U>(fallback));
  }

  const T & operator*() const & { return value(); }

  T & operator*() & { return value(); }

  const T * operator->() const { return &value(); }

  T * operator->() { return &value(); }

  const E & error() const { return std::get<1>(storage_); }

private:
  void check() const
  {
    if (!has_value()) {
      throw bad_expected_access();
    }
  }

  std::variant<T, E> storage_;
};

template <typename E>
class expected<void, E>
{
public:
  using value_type = void;
  using error_type = E;

  expected() = default;

  template <typename G>
  expected(unexpected_type<G> error) : error_(std::move(error).value())
  {
  }

  bool has_value() const noexcept { return !error_.has_value(); }

  explicit operator bool() const noexcept { return has_value(); }

  void value() const
  {
    if (!has_value()) {
      throw bad_expected_access();
    }
  }

  const E & error() const { return *error_; }

private:
  std::optional<E> error_;
};

}  // namespace nonstd

#endif  // BEHAVIORTREE_CPP_V3_UTILS_EXPECTED_HPP
