// The results document: an ordered list of lines (CP932 bytes) that runs
// append to. The window shows it in its results view; the batch tool keeps
// it in memory. The display operations may do nothing where there is no view.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace habitual {

class TResultLines {
public:
    virtual ~TResultLines() = default;
    virtual void Clear() = 0;
    virtual void Add(std::string_view line) = 0;
    virtual int Count() const = 0;
    virtual std::string Line(int i) const = 0;
    virtual void HideView() {}
    virtual void ShowView() {}
    virtual void ScrollToCaret() {}
};

// The document without a view.
class TMemoryResultLines : public TResultLines {
public:
    void Clear() override { Lines.clear(); }
    void Add(std::string_view line) override { Lines.emplace_back(line); }
    int Count() const override { return static_cast<int>(Lines.size()); }
    std::string Line(int i) const override { return Lines[static_cast<std::size_t>(i)]; }

    std::vector<std::string> Lines;
};

// Lines kept back to be given to another document later, with the display
// requests they met on the way, in their order.
class TRecordedLines : public TMemoryResultLines {
public:
    void HideView() override { Requests.push_back({Lines.size(), TRequest::Hide}); }
    void ShowView() override { Requests.push_back({Lines.size(), TRequest::Show}); }
    void ScrollToCaret() override { Requests.push_back({Lines.size(), TRequest::Scroll}); }
    // Hands every line and request to target as if they had been made on it;
    // this document is left empty.
    void ReplayTo(TResultLines& target) {
        std::size_t line = 0;
        auto linesUpTo = [&](std::size_t end) {
            for (; line < end; ++line) target.Add(Lines[line]);
        };
        for (const TRequest& r : Requests) {
            linesUpTo(r.At);
            if (r.What == TRequest::Hide)
                target.HideView();
            else if (r.What == TRequest::Show)
                target.ShowView();
            else
                target.ScrollToCaret();
        }
        linesUpTo(Lines.size());
        Lines.clear();
        Requests.clear();
    }

private:
    struct TRequest {
        std::size_t At; // the number of lines before it
        enum { Hide, Show, Scroll } What;
    };
    std::vector<TRequest> Requests;
};

} // namespace habitual
