// `run ... --expect LISTING [--approve]`: the run's whole output held against an approved
// listing, the way golden files are used in test suites.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// Exit status 3: the output differs from the approved listing.
inline constexpr int ListingDiffers = 3;

// 0 when `output` has the same lines as the file at `path` (LF and CR LF alike, a final line end
// optional); ListingDiffers after a unified diff on `err`; 1 after "PATH: MESSAGE" when the file
// cannot be read.
int CompareWithApproved(const std::filesystem::path& path, std::string_view output, std::FILE* err);

// Replaces the file at `path` with `output` atomically, as scripts are saved: 0, or 1 after
// "PATH: MESSAGE".
int Approve(const std::filesystem::path& path, std::string_view output, std::FILE* err);
