#ifndef BEHAVIORTREE_CPP_V3_EXCEPTIONS_H
#define BEHAVIORTREE_CPP_V3_EXCEPTIONS_H

#include <exception>
#include <string>

#include "behaviortree_cpp_v3/utils/strcat.hpp"
#include "behaviortree_cpp_v3/utils/string_view.hpp"

namespace BT
{
class BehaviorTreeException : public std::exception
{
public:
  BehaviorTreeException(nonstd::string_view message) : message_(message) {}

  template <typename... Pieces>
  BehaviorTreeException(const Pieces &... pieces) : message_(StrCat(pieces...))
  {
  }

  const char * what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
};

/// A fault that needs a change of the code: a tree or node used the wrong way.
class LogicError : public BehaviorTreeException
{
public:
  using BehaviorTreeException::BehaviorTreeException;
};

/// A fault of the data or the conditions met at run time.
class RuntimeError : public BehaviorTreeException
{
public:
  using BehaviorTreeException::BehaviorTreeException;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_EXCEPTIONS_H
