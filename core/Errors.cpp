#include "Errors.h"

#include <cstring>

std::string MessageBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

std::string SystemErrorText(int error) {
    return std::strerror(error);
}
