// The one container for text: lines separated by CR LF in a single byte string, with an index
// of line starts so that reading a line by number does not scan the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "FileAccess.h"

// A text view that shows a LineList. The list tells the view about its own changes; the view
// tells the list (ViewEdited) when the user changed the text, and hands it over on request.
class LineListView {
  public:
    virtual ~LineListView() = default;
    virtual void TextReplaced(std::string_view text) = 0;   // the whole text changed
    virtual void TextAppended(std::string_view bytes) = 0;  // bytes were added at the end
    virtual std::string ReadText() = 0;  // the view's text as CP1251 with CR LF line breaks
};

class LineList {
  public:
    static constexpr size_t MaxLineLength = 4096;
    static constexpr size_t Unlimited = std::numeric_limits<size_t>::max();

    int32_t Count();
    // Line `index` without its separator, at most MaxLineLength characters; empty when the index
    // is out of range. The view stays valid until the list changes.
    std::string_view Get(int32_t index);
    int32_t Add(std::string_view text);
    void Clear();
    // `progress` is told between the reads (see FileAccess::ReadProgress).
    void LoadFile(const std::filesystem::path& path, const FileAccess::ReadProgress& progress = {});
    void SaveFile(const std::filesystem::path& path);
    // Takes a file's raw bytes as LoadFile does: line ends normalised, cut at the first NUL.
    void LoadText(std::string_view raw);
    // The line ends of a loaded text: CR LF, lone CR and lone LF all become CR LF.
    static std::string NormaliseBreaks(std::string_view raw);

    // The line ends SaveFile writes: those of the file last loaded when they were all LF, CR LF
    // otherwise (mixed ones, and a text never loaded). The text itself always holds CR LF.
    enum class LineEnds { CrLf, Lf };
    LineEnds FileLineEnds() const { return lineEnds_; }
    void SetFileLineEnds(LineEnds ends) { lineEnds_ = ends; }

    std::string_view Text();
    void SetText(std::string text);  // replaces the whole text (no NUL or normalisation rules)

    void SetCapacity(size_t characters) { capacity_ = characters; }
    size_t Capacity() const { return capacity_; }

    void Bind(LineListView* view);        // the view shows the current text from now on
    void ViewEdited() { stale_ = true; }  // the user changed the view's text

    // While a batch is open, Adds reach the view as one TextAppended when it closes (also when
    // it closes by an error): a run adds its listing line by line, and one view update per line
    // would cost far more than the run itself.
    class Batch {
      public:
        explicit Batch(LineList& list) : list_(list) { ++list_.batches_; }
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        LineList& list_;
    };

  private:
    void Refresh();
    void Reindex();
    void CheckFits(size_t newSize) const;
    void Notify();
    void Append(std::string_view inserted);

    std::string text_;
    std::vector<size_t> starts_{0};  // start of each line, including a trailing empty line
    size_t capacity_ = Unlimited;
    LineListView* view_ = nullptr;
    bool stale_ = false;
    int batches_ = 0;
    LineEnds lineEnds_ = LineEnds::CrLf;
    std::string unsent_;  // appended inside the open batch, not yet in the view
};
