#pragma once

#include <exception>
#include <string>
#include <utility>

namespace kestrune {

// The base of every exception the program raises on purpose. It carries the text that the
// exception display shows to the user, as bytes: a stored text it quotes keeps the bytes it was
// stored as, and the display decodes them as the windows decode stored texts.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

}  // namespace kestrune
