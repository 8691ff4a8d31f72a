// The test vectors of tests/vectors, shared by the unit tests, the run tests and the fuzz seeds.
// A file holds vectors of a fixed number of fields; each field is hexadecimal on a line of its
// own, ended by ':' (an empty field is a lone ':'), and '#' starts a comment line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Vector = std::vector<std::string>;  // the fields, as hexadecimal text

// Every vector of tests/vectors/`name`; throws when the file is missing, or its field count
// is not a multiple of `fields`.
std::vector<Vector> ReadVectors(const std::string& name, size_t fields);

// A field as bytes, as UTF-16LE text, and as a number written most significant digit first.
std::string BytesOfHex(std::string_view hex);
std::u16string TextOfHex(std::string_view hex);
uint32_t NumberOfHex(const std::string& hex);
