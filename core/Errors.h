// Error kinds raised by the core, the script engine and the windows' commands.
// Messages are single-byte (CP1251) texts, shown to the user exactly as carried.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    std::string Message;
    // Index of the script line that failed, or -1 when the error did not come from a run.
    int32_t Line = -1;
};

// A failed file operation of the firmware loader; Code is the platform's error number, or 100.
class EInOutError : public Exception {
  public:
    EInOutError(int code, std::string message) : Exception(std::move(message)), Code(code) {}
    int Code;
};

// A firmware file that does not hold what its format (Intel HEX, S-record, ELF, UF2) requires.
// Line is the index of the failing line in a text format, -1 in the others.
class EFormatError : public Exception {
  public:
    EFormatError(std::string message, int32_t line) : Exception(std::move(message)) { Line = line; }
};

// A script argument that is not a hexadecimal number.
class EConvertError : public Exception {
    using Exception::Exception;
};

// A register number or image offset that a script line may not use.
class ERangeError : public Exception {
    using Exception::Exception;
};

// A line list could not read its file.
class EFileOpenError : public Exception {
    using Exception::Exception;
};

// A line list could not write its file.
class EFileCreateError : public Exception {
    using Exception::Exception;
};

// A text grew beyond what its view may hold.
class ECapacityError : public Exception {
  public:
    ECapacityError() : Exception("Text exceeds memo capacity") {}
};

// The user stopped a command: it leaves everything as it was, and nothing is shown.
class EAbort : public Exception {
  public:
    EAbort() : Exception("Operation aborted") {}
};

// The message as the error box and the command-line tools show it: "." is appended when the
// last character's code is above that of ".".
std::string MessageBoxText(const std::string& message);
