#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace ondulix::bench {

// Texts a user, or a cat on the keyboard, might put into a parameter box: digits, signs, decimal
// points, exponents, "&H" and "&O" prefixes, letters, blanks and control characters, numbers far
// beyond every limit, and now and then a string thousands of characters long. Reproducible from
// its seed.
class RandomText {
public:
    explicit RandomText(std::uint32_t seed) : rng_(seed) {}

    std::string next();
    // Only what a keyboard types into a line edit one key at a time: printable ASCII.
    std::string nextTyped(std::size_t longest);
    // A number from 0 to n - 1.
    std::size_t below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

private:
    std::mt19937 rng_;
};

} // namespace ondulix::bench
