#include "ui/ResultsView.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "engine/Encoding.h"

TResultsView::TResultsView(QPlainTextEdit* view) : View(view) {
    QObject::connect(View->document(), &QTextDocument::contentsChange, View, [this](int, int, int) {
        if (!Flushing) SingleEmptyLine = false;
    });
    // After a run the view keeps its last line in view while its size
    // changes (the notice panel appearing below it), until the user scrolls.
    QScrollBar* bar = View->verticalScrollBar();
    QObject::connect(bar, &QScrollBar::rangeChanged, View, [this, bar](int, int maximum) {
        if (FollowEnd) bar->setValue(maximum);
    });
    QObject::connect(bar, &QScrollBar::valueChanged, View, [this, bar](int value) {
        if (value != bar->maximum()) FollowEnd = false;
    });
}

void TResultsView::Clear() {
    Pending.clear();
    ScrollWanted = false;
    FollowEnd = false;
    SingleEmptyLine = false;
    Flushing = true;
    View->clear();
    Flushing = false;
}

void TResultsView::Add(std::string_view line) {
    Pending.emplace_back(line);
}

int TResultsView::ViewLineCount() const {
    const QTextDocument* document = View->document();
    if (document->isEmpty()) return SingleEmptyLine ? 1 : 0;
    return document->blockCount();
}

int TResultsView::Count() const {
    return ViewLineCount() + static_cast<int>(Pending.size());
}

std::string TResultsView::Line(int i) const {
    const int shown = ViewLineCount();
    if (i < 0 || i >= Count()) return std::string();
    if (i >= shown) return Pending[static_cast<std::size_t>(i - shown)];
    const QString text = View->document()->findBlockByNumber(i).text();
    return habitual::Utf8ToCp932(text.toStdString());
}

void TResultsView::HideView() {
    if (Hidden++ == 0) View->setUpdatesEnabled(false);
}

void TResultsView::ShowView() {
    Flush();
    if (Hidden > 0 && --Hidden == 0) View->setUpdatesEnabled(true);
}

void TResultsView::ScrollToCaret() {
    ScrollWanted = true;
}

void TResultsView::Flush() {
    if (!Pending.empty()) {
        const bool hadLines = ViewLineCount() > 0;
        std::string utf8;
        for (std::size_t i = 0; i < Pending.size(); ++i) {
            if (i > 0 || hadLines) utf8 += '\n';
            utf8 += habitual::Cp932ToUtf8(Pending[i]);
        }
        Pending.clear();
        const QString text = QString::fromStdString(utf8);
        utf8 = std::string();

        Flushing = true;
        QTextDocument* document = View->document();
        // Appended reports are not undone piece by piece; keeping them in the
        // undo history would double the memory of a large document.
        const bool undo = document->isUndoRedoEnabled();
        document->setUndoRedoEnabled(false);
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text);
        document->setUndoRedoEnabled(undo);
        SingleEmptyLine = document->isEmpty();
        Flushing = false;
    }
    if (ScrollWanted) {
        ScrollWanted = false;
        View->moveCursor(QTextCursor::End);
        View->ensureCursorVisible();
        FollowEnd = true;
    }
}

QStringList TResultsView::Lines() const {
    QStringList lines;
    const int count = ViewLineCount();
    lines.reserve(count + static_cast<int>(Pending.size()));
    QTextBlock block = View->document()->begin();
    for (int i = 0; i < count && block.isValid(); ++i, block = block.next()) lines << block.text();
    for (const std::string& line : Pending)
        lines << QString::fromStdString(habitual::Cp932ToUtf8(line));
    return lines;
}
