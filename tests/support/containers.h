// Containers made directly with the core, with a salt the test chooses: what an encryption
// writes, without the time-stamp counter's salt that makes each run's bytes differ.
#pragma once
#include <cstdint>
#include <string>

// A container of `plain` under `password` (at most 129 units) with the given salt.
std::string MakeContainer(const std::string& plain, const std::u16string& password, uint32_t salt);
