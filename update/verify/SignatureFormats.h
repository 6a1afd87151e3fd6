#pragma once

#include <cstddef>
#include <optional>
#include <string>

/// The bytes that text encodes in base64: the standard alphabet, padded with '=' to a multiple
/// of four characters, nothing else in it, and no bits set that the bytes leave over. Nothing
/// when text is not such a text.
std::optional<std::string> DecodeBase64(const std::string &text);

/// Whether bytes are one DER SEQUENCE and nothing before or after it.
bool IsOneDerSequence(const std::string &bytes);

/// The ECDSA signature that der holds as openssl writes it (a DER SEQUENCE of the INTEGERs r and
/// s) in the form the platform verifies: r, then s, each big-endian and padded with zero bytes to
/// fieldSize. Nothing when der is not exactly such a SEQUENCE, or r or s is negative or does not
/// fit in fieldSize bytes.
std::optional<std::string> EcdsaSignatureToRs(const std::string &der, size_t fieldSize);
