// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// SHA-256 of a byte string as 64 lower-case hex digits, for holding the
// program's exact output in the tests.
#include <cstddef>
#include <cstdint>
#include <string>

std::string sha256_hex(const std::uint8_t* data, std::size_t size);
