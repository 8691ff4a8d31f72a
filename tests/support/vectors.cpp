#include "tests/support/vectors.h"

#include <fstream>
#include <stdexcept>

std::vector<Vector> ReadVectors(const std::string& name, size_t fields) {
    const std::string path = std::string(ZOK_TEST_VECTORS) + "/" + name;
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::vector<std::string> values;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (line.back() != ':')
            throw std::runtime_error(path + ": a field does not end with ':': " + line);
        line.pop_back();
        values.push_back(line);
    }
    if (values.empty() || values.size() % fields != 0)
        throw std::runtime_error(path + ": " + std::to_string(values.size()) +
                                 " fields, not whole vectors of " + std::to_string(fields));
    std::vector<Vector> vectors;
    for (size_t i = 0; i < values.size(); i += fields) {
        vectors.emplace_back(values.begin() + i, values.begin() + i + fields);
    }
    return vectors;
}

std::string BytesOfHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        throw std::runtime_error("odd hexadecimal: " + std::string(hex));
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

std::u16string TextOfHex(std::string_view hex) {
    const std::string bytes = BytesOfHex(hex);
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                             static_cast<uint8_t>(bytes[i + 1]) << 8));
    }
    return text;
}

uint32_t NumberOfHex(const std::string& hex) {
    return static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
}
