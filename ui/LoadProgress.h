// What a long load shows: nothing for its first half second, so that short loads stay quiet; then
// the platform's progress window with the file's name, the bytes read and "Отмена".
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Platform.h"

namespace LoadProgress {

// How long a load runs before its progress window shows; tests shorten it.
extern std::chrono::steady_clock::duration Delay;

// The line under the file's name: "Прочитано: 1 234 567 из 2 000 000 байт (61 %)", or the bytes
// alone where the size is not known.
std::string ReadText(uint64_t done, std::optional<uint64_t> size);

// The progress of one load, told by its reads (a FileAccess::ReadProgress, given by std::ref).
// The window goes with the object. When the user cancels, the next call throws EAbort.
class TLoadProgress {
  public:
    TLoadProgress(Platform::Desktop& platform, std::string name);
    void operator()(uint64_t done, std::optional<uint64_t> size);

  private:
    Platform::Desktop& platform_;
    std::string name_;
    std::chrono::steady_clock::time_point started_, updated_;
    std::unique_ptr<Platform::Progress> window_;
};

}  // namespace LoadProgress
