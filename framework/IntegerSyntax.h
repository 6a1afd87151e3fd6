#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

/// A conversion of the runtime that failed; what() is the message shown to the user.
class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

/// Converts text to a 32-bit signed integer: leading spaces, then an optional "+" or "-" and
/// decimal digits, or one of "$", "x", "X", "0x", "0X" and hexadecimal digits; nothing may
/// follow. Throws EConvertError "'text' is not a valid integer value" otherwise.
int32_t StrToInt(const std::string &text);
