#pragma once

#include <string>

/// The text with which a failure is shown to the user: its message, with a full stop appended
/// when the code of the last character lies above that of ".".
std::string ShownExceptionText(const std::string &message);
