#include "Output.h"

#include "Cp1251.h"
#include "Errors.h"
#include "Terminal.h"

#ifdef _WIN32
std::filesystem::path PathFromArgument(const std::string& argument) {
    return std::filesystem::path(std::u8string(argument.begin(), argument.end()));
}
#else
std::filesystem::path PathFromArgument(const std::string& argument) {
    return argument;
}
#endif

void ReportFailure(std::FILE* err, const std::string& where, const std::string& message) {
    Terminal::WriteMessage(err, where + ": " + MessageBoxText(message) + "\n");
}
