#include "ExpectedListing.h"

#include "Cp1251.h"
#include "Errors.h"
#include "FileAccess.h"
#include "LineList.h"
#include "Output.h"
#include "Terminal.h"
#include "UnifiedDiff.h"

int CompareWithApproved(const std::filesystem::path& path, std::string_view output,
                        std::FILE* err) {
    std::string approved, error;
    // Read as stored, not as a script loads: a lone CR in a listed image string must compare.
    if (!FileAccess::ReadWhole(path, approved, error)) {
        ReportFailure(err, Cp1251::FromPath(path),
                      "Cannot open file \"" + Cp1251::FromPath(FileAccess::AbsolutePath(path)) +
                          "\". " + error);
        return 1;
    }
    const std::string diff =
        UnifiedDiff(Cp1251::FromPath(path), SplitLines(approved), "actual", SplitLines(output));
    if (diff.empty()) return 0;
    Terminal::WriteListing(err, diff);
    return ListingDiffers;
}

int Approve(const std::filesystem::path& path, std::string_view output, std::FILE* err) {
    LineList listing;
    try {
        listing.SetText(std::string(output));
        listing.SaveFile(path);
    } catch (const Exception& e) {
        ReportFailure(err, Cp1251::FromPath(path), e.Message);
        return 1;
    }
    return 0;
}
