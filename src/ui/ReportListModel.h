#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QRgb>
#include <QString>
#include <memory>
#include <vector>

namespace tonquill {

// One cell of a report row: text, image index into the row image list (-1 none) and the
// colours it is drawn with.
struct ReportCell {
    QString text;
    int image = -1;
    QRgb textColour = 0;
    QRgb backColour = 0;
    QString tooltip;  // none when empty
};

// Everything the list holds for one row. `ownerData` is the owner's word for the row (a pointer
// to its record, or a small value). A record the row owns goes with the row, whichever way the
// row leaves (one deleted, many, all, the list itself): `record` holds it and ownerData points
// at it.
struct ReportRowData {
    void* ownerData = nullptr;
    std::shared_ptr<void> record;
    std::vector<ReportCell> cells;

    template <typename T>
    void Own(std::unique_ptr<T> owned) {
        ownerData = owned.get();
        record = std::shared_ptr<T>(std::move(owned));
    }
};

// A header column: heading, alignment (0 left, 1 right, 2 centre) and its header image.
struct ReportHeaderColumn {
    QString heading;
    int format = 0;
    int headerImage = -1;  // -1 shows none
    bool imageOnLeft = false;
};

// The rows and columns of a report list. Rows live in one vector so that inserting, sorting
// and recolouring tens of thousands of them touch each row once.
class ReportListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ReportListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Columns: new cells take the given default colours in every existing row.
    void InsertColumn(int index, const ReportHeaderColumn& column, QRgb textColour,
                      QRgb backColour);
    void RemoveColumn(int index);
    const ReportHeaderColumn& Column(int index) const { return columns[index]; }
    void SetHeaderImage(int column, int image, bool imageOnLeft);
    void NotifyHeaderChanged();

    // Rows.
    int RowCount() const { return static_cast<int>(rows.size()); }
    void InsertRow(int index, ReportRowData row);
    // Appends rows that arrive together (a load's batch) in one insertion.
    void AppendRows(std::vector<ReportRowData> newRows);
    void RemoveRows(int first, int count);
    // Removes every row flagged in `doomed` (one flag per row) in one pass.
    void RemoveFlaggedRows(const std::vector<char>& doomed);
    void Clear();
    void MoveRow(int from, int to);
    // Puts rows first.. into the order given (old row indexes); selections follow the rows.
    void ReorderRows(int first, const std::vector<int>& order);

    const ReportRowData& Row(int row) const { return rows[row]; }
    ReportRowData& MutableRow(int row) { return rows[row]; }
    void SetCellText(int row, int column, const QString& text);
    void SetCellImage(int row, int column, int image);
    // Tells the view that cells changed without emitting per cell; whole list when row < 0.
    void NotifyRowsChanged(int firstRow = -1, int lastRow = -1);

    void SetRowImages(const QList<QIcon>& images);
    const QList<QIcon>& RowImages() const { return rowImages; }
    void SetHeaderImages(const QList<QIcon>& images);
    const QList<QIcon>& HeaderImages() const { return headerImages; }

private:
    std::vector<ReportHeaderColumn> columns;
    std::vector<ReportRowData> rows;
    QList<QIcon> rowImages;
    QList<QIcon> headerImages;
};

}  // namespace tonquill
