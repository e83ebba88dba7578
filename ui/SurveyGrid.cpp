#include "ui/SurveyGrid.h"

#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>

#include <utility>

#include "engine/Encoding.h"

const char* const SurveyGridToolTip = "表示するだけです。入力はできません。";

TSurveyGridModel::TSurveyGridModel(QObject* parent) : QAbstractTableModel(parent) {}

QString TSurveyGridModel::Cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= GridCols || row >= GridRows) return QString();
    if (row == 0) return col >= 1 && col - 1 < Labels.size() ? Labels[col - 1] : QString();
    if (col == 0) return Numbered ? QString::number(row) : QString();
    const std::string_view field = Rows.Field(row - 1, col - 1);
    if (field.empty()) return QString();
    return QString::fromStdString(habitual::Cp932ToUtf8(field));
}

void TSurveyGridModel::SetSurvey(QStringList labels, TSurveyTable rows, int gridRows,
                                 int gridCols) {
    beginResetModel();
    Labels = std::move(labels);
    Rows = std::move(rows);
    GridRows = gridRows < 1 ? 1 : gridRows;
    GridCols = gridCols < 1 ? 1 : gridCols;
    Numbered = true;
    endResetModel();
}

int TSurveyGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridRows - 1;
}

int TSurveyGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridCols - 1;
}

QVariant TSurveyGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    if (role == Qt::DisplayRole) return Cell(index.column() + 1, index.row() + 1);
    if (role == Qt::ToolTipRole) return QString::fromUtf8(SurveyGridToolTip);
    return QVariant();
}

QVariant TSurveyGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole)
        return orientation == Qt::Horizontal ? Cell(section + 1, 0) : Cell(0, section + 1);
    if (role == Qt::ToolTipRole) {
        // A column's whole label, which its header may show cut short.
        if (orientation == Qt::Horizontal && !Cell(section + 1, 0).isEmpty())
            return Cell(section + 1, 0);
        return QString::fromUtf8(SurveyGridToolTip);
    }
    return QVariant();
}

namespace {

// Column labels cut short end in an ellipsis. The style draws a header's
// text in a label area narrower than the section, so the text is cut to that
// area here, where the toolkit's own eliding would cut it to the section and
// the ellipsis would fall outside.
class TElidingHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        QStyleOptionHeader section = *option;
        section.rect = QRect(0, 0, sectionSize(logicalIndex), height());
        const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &section, this);
        option->text = option->fontMetrics.elidedText(option->text, Qt::ElideRight, label.width());
    }
};

} // namespace

QTableView* MakeSurveyGridView(TSurveyGridModel* model, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setHorizontalHeader(new TElidingHeader(Qt::Horizontal, view));
    view->setObjectName(QStringLiteral("StringGridDietFile"));
    view->setModel(model);
    view->setToolTip(QString::fromUtf8(SurveyGridToolTip));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setFocusPolicy(Qt::NoFocus);
    view->setShowGrid(true);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    // Fixed rows keep a grid of a million rows cheap to lay out.
    QHeaderView* rows = view->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(22);
    rows->setDefaultSectionSize(22);
    rows->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rows->setMinimumWidth(40); // the fixed column shows even before a file is loaded
    QHeaderView* columns = view->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setDefaultSectionSize(64);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setHighlightSections(false);
    rows->setHighlightSections(false);
    return view;
}
