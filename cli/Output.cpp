#include "Output.h"

#include "Cp1251.h"
#include "Errors.h"
#include "Terminal.h"

#ifdef _WIN32
// The Windows programs take their arguments in the ANSI code page already.
std::string PathFromArgument(const std::string& argument) {
    return argument;
}
#else
std::string PathFromArgument(const std::string& argument) {
    return Cp1251::FromUtf8(argument);
}
#endif

void ReportFailure(std::FILE* err, const std::string& where, const std::string& message) {
    Terminal::WriteMessage(err, where + ": " + MessageBoxText(message) + "\n");
}
