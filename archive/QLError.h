// EQLError: the base of the program's own exceptions, a std::exception that
// keeps its message in a string of its own. Catch sites take
// `const std::exception&` and show what(); the program raises no standard
// exception class of its own making.
#pragma once

#include <exception>
#include <string>
#include <utility>

class EQLError : public std::exception {
public:
  explicit EQLError(std::string Message) : FMessage(std::move(Message)) {}
  explicit EQLError(const char* Message) : FMessage(Message) {}
  const char* what() const noexcept override;

private:
  std::string FMessage;
};
