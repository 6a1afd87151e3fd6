#include "framework/ExceptionText.h"

std::string ShownExceptionText(const std::string &message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
    return message + '.';
  return message;
}
