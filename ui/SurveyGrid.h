// The survey preview: a read-only grid whose first row holds the column
// labels and whose first column holds the data row numbers. The cells are
// served from the compact table of the loaded rows, converted from Shift-JIS
// only when shown.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "ui/SurveyTable.h"

class QTableView;

class TSurveyGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TSurveyGridModel(QObject* parent = nullptr);

    // The grid's size, the fixed row and column included.
    int GridRowCount() const { return GridRows; }
    int GridColCount() const { return GridCols; }
    // The text of a cell by column and row; row 0 holds the labels, column 0
    // the row numbers.
    QString Cell(int col, int row) const;

    // Shows a loaded survey: labels for row 0 (an empty text where the header
    // row has no field), the data rows, and the grid's size.
    void SetSurvey(QStringList labels, TSurveyTable rows, int gridRows, int gridCols);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    int GridRows = 256;
    int GridCols = 256;
    bool Numbered = false;
    QStringList Labels;
    TSurveyTable Rows;
};

// The grid view over the model: fixed row height, resizable columns, no
// editing, not a tab stop, and its tooltip.
QTableView* MakeSurveyGridView(TSurveyGridModel* model, QWidget* parent);

extern const char* const SurveyGridToolTip;
