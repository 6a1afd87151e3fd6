#pragma once

#include <string>

/// The floor of a quiet check: one GET of path from server over https with nothing around it,
/// the body read to its end. Whether the server answered with 2xx and the body came to its end.
bool RunBareFetch(const std::string &server, const std::string &path);
