// The pointer while the window works: the wait cursor from the start of a
// command's work to its end (TWaitCursor), and the ordinary pointer again over
// any box that asks for attention meanwhile (TArrowCursor).
#pragma once

#include <QApplication>
#include <QCursor>

template <Qt::CursorShape Shape> class TOverrideCursor {
public:
    TOverrideCursor() { QApplication::setOverrideCursor(QCursor(Shape)); }
    ~TOverrideCursor() { QApplication::restoreOverrideCursor(); }
    TOverrideCursor(const TOverrideCursor&) = delete;
    TOverrideCursor& operator=(const TOverrideCursor&) = delete;
};

using TWaitCursor = TOverrideCursor<Qt::WaitCursor>;
using TArrowCursor = TOverrideCursor<Qt::ArrowCursor>;
