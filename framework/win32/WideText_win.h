#pragma once

#include <string>

/// text, in the system's ANSI code page, as UTF-16 for the platform's wide calls; "" when it
/// cannot be converted.
std::wstring WideFromAnsi(const std::string &text);
