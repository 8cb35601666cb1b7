#include "LoadProgress.h"

#include <algorithm>

#include "Cp1251.h"
#include "Errors.h"

namespace LoadProgress {

std::chrono::steady_clock::duration Delay = std::chrono::milliseconds(500);

namespace {

// Often enough for a live count and a prompt "Отмена", rarely enough to cost nothing.
constexpr auto UpdateEvery = std::chrono::milliseconds(40);

// Digits in groups of three, separated by blanks.
std::string Grouped(uint64_t value) {
    std::string digits = std::to_string(value);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ' ');
    return digits;
}

std::optional<int> Percent(uint64_t done, std::optional<uint64_t> size) {
    if (!size) return std::nullopt;
    return static_cast<int>(*size ? std::min<uint64_t>(100, done * 100 / *size) : 100);
}

}  // namespace

std::string ReadText(uint64_t done, std::optional<uint64_t> size) {
    std::string text = Cp1251::FromUtf8("Прочитано: ") + Grouped(done);
    if (size)
        text += Cp1251::FromUtf8(" из ") + Grouped(*size) + Cp1251::FromUtf8(" байт (") +
                std::to_string(*Percent(done, size)) + " %)";
    else
        text += Cp1251::FromUtf8(" байт");
    return text;
}

TLoadProgress::TLoadProgress(Platform::Desktop& platform, std::string name)
    : platform_(platform), name_(std::move(name)), started_(std::chrono::steady_clock::now()) {}

void TLoadProgress::operator()(uint64_t done, std::optional<uint64_t> size) {
    const auto now = std::chrono::steady_clock::now();
    if (now - started_ < Delay || (window_ && now - updated_ < UpdateEvery)) return;
    if (!window_) window_ = platform_.ShowProgress(name_);
    updated_ = now;
    if (!window_->Update(ReadText(done, size), Percent(done, size))) throw EAbort();
}

}  // namespace LoadProgress
