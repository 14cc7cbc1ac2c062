#pragma once

#include "platform/grid/gridproxy.h"

#include <QAbstractItemModel>

#include <vector>

namespace vexor {

// The rows of a GridProxy grouped by one column, as a tree: every group is a top-level
// header row ("<caption>: <value>") whose children are the group's rows, followed by a
// top-level footer row with the group's summaries. Footers are siblings of their headers so
// that they stay visible while the group is collapsed. Groups are in ascending order of the
// value; rows within a group keep the proxy's order (filters and sorting apply within groups).
class GroupModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit GroupModel(QObject *parent = nullptr);

    void setSourceModel(GridProxy *proxy);
    GridProxy *sourceModel() const { return m_proxy; }
    // Model column to group by; -1 for none (then there are no rows).
    void setGroupColumn(int column);
    int groupColumn() const { return m_groupColumn; }

    int groupCount() const { return int(m_groups.size()); }
    // Text of the group's value as the grouped column shows it.
    QString groupValueText(int group) const;
    QString groupHeaderText(int group) const;
    // The group's table rows, in the order shown.
    std::span<const int> groupTableRows(int group) const;
    QString groupFooterText(int group, int column) const;
    SummaryValue groupSummary(int group, int column) const;

    QModelIndex headerIndex(int group) const { return index(2 * group, 0); }
    // The group of a header or footer row, or of a data row; -1 for an invalid index.
    int groupOf(const QModelIndex &index) const;
    // Where a table row is shown; invalid when it is filtered out.
    QModelIndex indexOfTableRow(int tableRow, int column = 0) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    struct Group
    {
        int first = 0;  // into m_rows
        int count = 0;
        std::vector<SummaryValue> summaries;  // by model column
    };

    void aboutToRebuild();
    void rebuild();
    void build();
    int dataGroup(const QModelIndex &index) const;

    GridProxy *m_proxy = nullptr;
    int m_groupColumn = -1;
    std::vector<int> m_rows;    // table rows, group after group
    std::vector<Group> m_groups;
    std::vector<int> m_groupOfRow;  // table row -> group, -1 when not shown
    std::vector<int> m_positionOfRow;  // table row -> row within its group
    bool m_resetting = false;
};

} // namespace vexor
