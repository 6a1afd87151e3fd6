#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class THeldDownload;

using TSha256 = std::array<uint8_t, 32>;

/// The SHA-256 of the whole file that file holds, read through its hold and hashed by the
/// platform; nothing when it cannot be read or hashed, or where the platform has no hash
/// (off Windows).
std::optional<TSha256> Sha256Of(const THeldDownload &file);
using THeldDigest = std::function<std::optional<TSha256>(const THeldDownload &file)>;

/// The SHA-256 of text's bytes; nothing where the platform has no hash.
std::optional<TSha256> Sha256OfText(const std::string &text);

/// The SHA-256 of the file fileName, held while it is read; nothing when it cannot be.
std::optional<TSha256> Sha256OfFile(const std::string &fileName);
using TFileDigest = std::function<std::optional<TSha256>(const std::string &fileName)>;

/// digest in lower-case hexadecimal, 64 characters.
std::string HexOf(const TSha256 &digest);
