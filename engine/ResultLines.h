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

// Lines kept back to be added to another document at once, with the view's
// scroll request they met on the way.
class TDeferredResultLines : public TMemoryResultLines {
public:
    void ScrollToCaret() override { ScrollWanted = true; }
    // Appends the lines to target, its view hidden meanwhile, and scrolls it
    // when asked; this document is left empty.
    void MoveTo(TResultLines& target) {
        target.HideView();
        for (const std::string& line : Lines) target.Add(line);
        Lines.clear();
        if (ScrollWanted) target.ScrollToCaret();
        target.ShowView();
        ScrollWanted = false;
    }

private:
    bool ScrollWanted = false;
};

} // namespace habitual
