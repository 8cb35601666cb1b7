#include "Output.h"

#include "Cp1251.h"
#include "Errors.h"

#ifdef _WIN32
std::filesystem::path PathFromArgument(const std::string& argument) {
    return std::filesystem::path(std::u8string(argument.begin(), argument.end()));
}
static std::string ForTerminal(const std::string& text) {
    return text;
}
#else
std::filesystem::path PathFromArgument(const std::string& argument) {
    return argument;
}
static std::string ForTerminal(const std::string& text) {
    return Cp1251::ToUtf8(text);
}
#endif

void ReportFailure(std::FILE* err, const std::string& where, const std::string& message) {
    std::fprintf(err, "%s: %s\n", ForTerminal(where).c_str(),
                 ForTerminal(MessageBoxText(message)).c_str());
}
