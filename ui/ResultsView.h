// The results document as the window holds it: its lines are the lines of
// the results view RichEditKekka. Runs append Shift-JIS lines; saving and
// printing read the view's text as the user left it.
#pragma once

#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

#include "engine/ResultLines.h"

class QPlainTextEdit;

class TResultsView final : public habitual::TResultLines {
public:
    explicit TResultsView(QPlainTextEdit* view);

    void Clear() override;
    void Add(std::string_view line) override;
    int Count() const override;
    std::string Line(int i) const override;
    void HideView() override;
    void ShowView() override;
    void ScrollToCaret() override;

    // Puts the appended lines into the view. Appends are collected and put in
    // at once, as the window handles no events while a command runs.
    void Flush();
    // The document's lines as Unicode text.
    QStringList Lines() const;

private:
    int ViewLineCount() const;

    QPlainTextEdit* View;
    std::vector<std::string> Pending;
    int Hidden = 0;
    bool ScrollWanted = false;
    bool FollowEnd = false; // the last line stays in view as the view changes size
    // A document of one empty line looks like an empty one in the view.
    bool SingleEmptyLine = false;
    bool Flushing = false;
};
