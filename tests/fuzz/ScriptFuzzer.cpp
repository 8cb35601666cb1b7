// Feeds random images and random script text through the loaders and two runs of the script.
// Input layout: two bytes (little-endian) give the image's length, the image's bytes follow
// (as many as there are), and the rest is the script file's contents.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Errors.h"
#include "HexUnit.h"
#include "LineList.h"
#include "Pitfalls.h"
#include "RunUnit.h"

namespace {

// The folder for the two input files: FUZZ_FILES (run.sh gives one in memory, since rewriting
// a file on a disk file system can wait for the disk), else TMPDIR, else /tmp.
std::string TempPath(const char* name) {
    const char* dir = std::getenv("FUZZ_FILES");
    if (!dir || !*dir) dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + std::to_string(::getpid()) + "-" + name;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
}

// Runs the script and returns the line an error stopped it at (INT32_MAX when none), which must
// exist. `message` receives the error's text when the checker should have named it.
int32_t RunChecked(LineList& script, std::string& message) {
    int32_t stoppedAt = INT32_MAX;
    try {
        RunUnit::RunScript();
    } catch (const EConvertError& e) {
        stoppedAt = e.Line;
        message = e.Message;
    } catch (const ERangeError& e) {
        stoppedAt = e.Line;  // an image offset is the image's business, not the checker's
        if (e.Message.starts_with("Register number")) message = e.Message;
    }
    if (stoppedAt != INT32_MAX && (stoppedAt < 0 || stoppedAt >= script.Count())) std::abort();
    return stoppedAt;
}

// The checker must agree with a run: no line before the one where the run stops is said to stop
// it, and an argument or register number that stops the run is named with the run's message.
void CheckerAgrees(LineList& script, std::string_view raw) {
    std::string message;
    const int32_t stoppedAt = RunChecked(script, message);
    bool named = message.empty();
    Pitfalls::Find(script, raw, [&](const Pitfalls::Finding& finding) {
        if (!finding.StopsRun) return true;
        if (finding.Line < stoppedAt) std::abort();
        if (finding.Line == stoppedAt &&
            finding.Message.ends_with(": the run stops here: " + message))
            named = true;
        return true;
    });
    if (!named) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string imagePath = TempPath("image.bin");
    static const std::string scriptPath = TempPath("script.vts");

    size_t imageSize = size >= 2 ? (data[0] | data[1] << 8) : 0;
    const uint8_t* rest = data + (size >= 2 ? 2 : size);
    size_t restSize = size - (rest - data);
    if (imageSize > restSize) imageSize = restSize;

    WriteFile(imagePath, rest, imageSize);
    WriteFile(scriptPath, rest + imageSize, restSize - imageSize);
    HexUnit::LoadImage(imagePath);
    if (HexUnit::ImageSize != imageSize) std::abort();

    LineList script, listing;
    script.LoadFile(scriptPath);
    RunUnit::Bind(script, listing);
    RunUnit::RegisterFile.fill(0);  // each input starts afresh, so a finding replays
    CheckerAgrees(script, std::string_view(reinterpret_cast<const char*>(rest + imageSize),
                                           restSize - imageSize));
    std::string message;
    RunChecked(script, message);  // from the registers the first run left
    return 0;
}
