#include "gridview.h"

#include "common/mesaj.h"
#include "platform/grid/gridparts.h"
#include "platform/grid/gridmodel.h"
#include "platform/grid/gridproxy.h"
#include "platform/grid/groupmodel.h"
#include "platform/grid/widthrule.h"
#include "platform/grid/xlsxexport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace vexor {

namespace {

// Best fit measures at most this many rows per column (the likely widest ones).
constexpr int kBestFitRows = 32;
constexpr int kIconSize = 24;

} // namespace

GridView::GridView(QWidget *parent) : QFrame(parent)
{
    build();
}

GridView::GridView(GridColumns columns, QWidget *parent) : QFrame(parent)
{
    build();
    setColumns(std::move(columns));
}

GridView::~GridView() = default;

void GridView::build()
{
    setFrameShape(QFrame::NoFrame);
    m_model = new GridModel(this);
    m_proxy = new GridProxy(this);
    m_proxy->setSourceModel(m_model);
    m_groups = new GroupModel(this);
    m_groups->setSourceModel(m_proxy);

    m_tree = new GridTree(this);
    m_header = new GridHeader(this);
    m_tree->setHeader(m_header);
    // The view makes headers clickable only when it sorts by itself; the grid sorts instead.
    m_header->setSectionsClickable(true);
    m_delegate = new GridDelegate(this);
    m_tree->setItemDelegate(m_delegate);
    m_indicator = new GridIndicator(this);
    m_footer = new GridFooter(this);
    m_footerCorner = new QWidget(this);
    m_footerCorner->setAutoFillBackground(true);
    m_hscroll = new QScrollBar(Qt::Horizontal, this);
    m_hscroll->hide();

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_indicator, 0, 0);
    layout->addWidget(m_tree, 0, 1);
    layout->addWidget(m_footerCorner, 1, 0);
    layout->addWidget(m_footer, 1, 1);
    layout->addWidget(m_hscroll, 2, 0, 1, 2);

    // The footer sits between the rows and the horizontal scroll bar, so the view's own bar
    // is kept hidden and mirrored by one under the footer.
    QScrollBar *inner = m_tree->horizontalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, this, [this, inner](int min, int max) {
        m_hscroll->setRange(min, max);
        m_hscroll->setPageStep(inner->pageStep());
        m_hscroll->setSingleStep(inner->singleStep());
        m_hscroll->setVisible(max > min);
    });
    connect(inner, &QScrollBar::valueChanged, m_hscroll, &QScrollBar::setValue);
    connect(m_hscroll, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);

    connect(m_header, &QHeaderView::sectionClicked, this, &GridView::headerClicked);
    connect(m_header, &QHeaderView::sectionResized, m_footer, qOverload<>(&QWidget::update));
    connect(m_header, &QWidget::customContextMenuRequested, this, &GridView::showHeaderMenu);
    connect(m_proxy, &GridProxy::filtersChanged, this, &GridView::filtersChanged);
    connect(m_proxy, &GridProxy::filtersChanged, m_header->viewport(), qOverload<>(&QWidget::update));
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &GridView::recomputeFooter);
    connect(m_proxy, &QAbstractItemModel::dataChanged, this, &GridView::recomputeFooter);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &GridView::recomputeFooter);

    setColours(m_colours);
    useViewModel();
}

void GridView::useViewModel()
{
    QAbstractItemModel *wanted = m_groups->groupColumn() >= 0 ? static_cast<QAbstractItemModel *>(m_groups)
                                                              : static_cast<QAbstractItemModel *>(m_proxy);
    if (m_tree->model() == wanted)
        return;
    // The focused row stays focused when the rows are grouped or ungrouped.
    const int focused = currentRow();
    const QModelIndex current = m_tree->currentIndex();
    for (const QMetaObject::Connection &c : m_viewConnections)
        disconnect(c);
    m_viewConnections.clear();
    m_tree->setModel(wanted);
    // Connected after the header's own handlers: sections exist again when the state is applied.
    m_viewConnections = {
        connect(wanted, &QAbstractItemModel::modelAboutToBeReset, this, &GridView::viewModelAboutToReset),
        connect(wanted, &QAbstractItemModel::modelReset, this, &GridView::viewModelReset),
        connect(wanted, &QAbstractItemModel::layoutChanged, m_indicator, qOverload<>(&QWidget::update)),
    };
    const bool grouped = wanted == m_groups;
    m_tree->setRootIsDecorated(grouped);
    m_tree->setIndentation(grouped ? 16 : 0);
    m_expandedGroups.clear();
    m_restoreRow = focused;
    m_restoreColumn = current.isValid() ? current.column() : -1;
    viewModelReset();
}

void GridView::setColumns(GridColumns columns)
{
    m_model->setColumns(std::move(columns));
    for (int c = 0; c < m_model->declaredColumnCount(); ++c) {
        const int width = m_model->column(c).width;
        m_header->resizeSection(c, width > 0 ? width : m_header->defaultSectionSize());
    }
    applyColumnState();
    widthRuleDue();
}

const GridColumns &GridView::columns() const
{
    return m_model->columns();
}

int GridView::columnIndex(QStringView field) const
{
    return m_model->columnOf(field);
}

void GridView::setTable(const MemTable *table)
{
    m_attaching = true;
    m_model->setTable(table);
    m_attaching = false;
}

const MemTable *GridView::table() const
{
    return m_model->table();
}

void GridView::refresh()
{
    // The footer follows through the proxy's signals.
    m_model->refresh();
    m_tree->viewport()->update();
}

void GridView::beginUpdate()
{
    if (m_updateLock++ == 0)
        setUpdatesEnabled(false);
}

void GridView::endUpdate()
{
    if (m_updateLock == 0)
        return;
    if (--m_updateLock > 0)
        return;
    if (m_footerDirty)
        recomputeFooter();
    if (m_widthRuleDue)
        widthRuleDue();
    setUpdatesEnabled(true);
    update();
}

void GridView::viewModelAboutToReset()
{
    m_restoreRow = currentRow();
    const QModelIndex current = m_tree->currentIndex();
    m_restoreColumn = current.isValid() ? current.column() : -1;
    m_expandedGroups.clear();
    if (m_tree->model() == m_groups) {
        for (int g = 0; g < m_groups->groupCount(); ++g) {
            if (m_tree->isExpanded(m_groups->headerIndex(g)))
                m_expandedGroups.append(m_groups->groupValueText(g));
        }
    }
    clearSearch();
}

void GridView::viewModelReset()
{
    applyColumnState();
    if (m_tree->model() == m_groups) {
        for (int g = 0; g < m_groups->groupCount(); ++g) {
            m_tree->setFirstColumnSpanned(2 * g, QModelIndex(), true);
            if (m_expandedGroups.contains(m_groups->groupValueText(g)))
                m_tree->expand(m_groups->headerIndex(g));
        }
    }
    // A new table starts at its first row; a filtered, sorted or regrouped one keeps its row.
    int column = m_restoreColumn;
    if (column < 0 || column >= m_model->columnCount() || !m_model->column(column).shown)
        column = firstVisibleColumn();
    const bool kept = !m_attaching && m_restoreRow >= 0 && focusRow(m_restoreRow, column);
    QAbstractItemModel *model = m_tree->model();
    if (!kept && model->rowCount() > 0 && column < model->columnCount())
        m_tree->setCurrentIndex(model->index(0, column));
    m_restoreRow = -1;
    m_indicator->update();
}

void GridView::applyColumnState()
{
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_tree->setColumnHidden(c, !m_model->column(c).shown);
    m_footer->update();
}

void GridView::recomputeFooter()
{
    if (isUpdateLocked()) {
        m_footerDirty = true;
        return;
    }
    m_footerDirty = false;
    m_footerValues.assign(size_t(m_model->columnCount()), SummaryValue());
    if (const MemTable *table = m_model->liveTable()) {
        const std::vector<int> &rows = m_proxy->tableRows();
        for (int c = 0; c < m_model->columnCount(); ++c) {
            const Summary kind = m_model->column(c).footer;
            if (kind != Summary::None)
                m_footerValues[size_t(c)] = summarise(*table, m_model->fieldOf(c), kind, rows);
        }
    }
    m_footer->update();
}

QString GridView::footerText(int column) const
{
    if (m_footerDirty && !isUpdateLocked())
        const_cast<GridView *>(this)->recomputeFooter();
    if (column < 0 || size_t(column) >= m_footerValues.size())
        return QString();
    const Summary kind = m_model->column(column).footer;
    if (kind == Summary::None)
        return QString();
    const MemTable *table = m_model->liveTable();
    const int f = m_model->fieldOf(column);
    const FieldType type = table && f >= 0 ? table->field(f).type : FieldType::Int32;
    return summaryText(kind, m_footerValues[size_t(column)], type, m_model->numberFormat(column));
}

QString GridView::footerText(QStringView field) const
{
    return footerText(columnIndex(field));
}

SummaryValue GridView::footerValue(QStringView field) const
{
    if (m_footerDirty && !isUpdateLocked())
        const_cast<GridView *>(this)->recomputeFooter();
    const int column = columnIndex(field);
    if (column < 0 || size_t(column) >= m_footerValues.size())
        return SummaryValue();
    return m_footerValues[size_t(column)];
}

void GridView::setColumnShown(QStringView field, bool shown)
{
    const int column = columnIndex(field);
    if (column < 0)
        return;
    m_model->setColumnShown(column, shown);
    m_tree->setColumnHidden(column, !shown);
    m_footer->update();
    widthRuleDue();
}

bool GridView::isColumnShown(QStringView field) const
{
    const int column = columnIndex(field);
    return column >= 0 && m_model->column(column).shown;
}

void GridView::setColumnOffered(QStringView field, bool offered)
{
    const int column = columnIndex(field);
    if (column >= 0)
        m_model->setColumnOffered(column, offered);
}

void GridView::setColumnWidth(QStringView field, int width)
{
    const int column = columnIndex(field);
    if (column >= 0)
        m_header->resizeSection(column, qMax(0, width));
}

int GridView::columnWidth(QStringView field) const
{
    const int column = columnIndex(field);
    return column < 0 ? 0 : m_header->sectionSize(column);
}

std::vector<CustomisationEntry> GridView::customisationEntries() const
{
    return vexor::customisationEntries(m_model->columns());
}

QMenu *GridView::createCustomisationMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    for (const CustomisationEntry &entry : customisationEntries()) {
        QAction *action = menu->addAction(entry.caption);
        action->setCheckable(true);
        action->setChecked(entry.shown);
        const QString field = m_model->column(entry.column).field;
        connect(action, &QAction::toggled, this, [this, field](bool on) { setColumnShown(field, on); });
    }
    return menu;
}

void GridView::showHeaderMenu(const QPoint &pos)
{
    if (!m_customisation || customisationEntries().empty())
        return;
    QMenu *menu = createCustomisationMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_header->mapToGlobal(pos));
}

void GridView::setRowHeight(int height)
{
    m_rowHeight = qMax(1, height);
    m_tree->doItemsLayout();
    m_indicator->update();
}

void GridView::setHeaderHeight(int height)
{
    m_header->setHeight(height);
}

int GridView::headerHeight() const
{
    return m_header->sizeHint().height();
}

void GridView::setHeaderVisible(bool visible)
{
    m_tree->setHeaderHidden(!visible);
}

void GridView::setIndicatorVisible(bool visible)
{
    m_indicator->setVisible(visible);
    m_footerCorner->setVisible(visible && m_footer->isVisibleTo(this));
}

void GridView::setFooterVisible(bool visible)
{
    m_footer->setVisible(visible);
    m_footerCorner->setVisible(visible && m_indicator->isVisibleTo(this));
}

bool GridView::isFooterVisible() const
{
    return m_footer->isVisibleTo(this);
}

void GridView::setColours(const GridColours &colours)
{
    m_colours = colours;
    QPalette palette = m_tree->palette();
    palette.setColor(QPalette::Base, colours.rowEven);
    palette.setColor(QPalette::AlternateBase, colours.rowOdd);
    palette.setColor(QPalette::Highlight, colours.selection);
    palette.setColor(QPalette::HighlightedText, colours.selectionText);
    palette.setColor(QPalette::Text, colours.text);
    m_tree->setPalette(palette);
    QPalette corner = m_footerCorner->palette();
    corner.setColor(QPalette::Window, colours.footer);
    m_footerCorner->setPalette(corner);
    update();
}

void GridView::setPixelScrolling(bool pixels)
{
    m_tree->setVerticalScrollMode(pixels ? QAbstractItemView::ScrollPerPixel : QAbstractItemView::ScrollPerItem);
}

void GridView::setSortingEnabled(bool enabled)
{
    m_proxy->setSortingEnabled(enabled);
    m_header->viewport()->update();
}

bool GridView::isSortingEnabled() const
{
    return m_proxy->isSortingEnabled();
}

void GridView::setIncrementalSearchEnabled(bool enabled)
{
    m_incrementalSearch = enabled;
    if (!enabled)
        clearSearch();
}

void GridView::setHeaderFiltersEnabled(bool enabled)
{
    m_headerFilters = enabled;
    m_header->viewport()->update();
}

void GridView::headerClicked(int column)
{
    if (!m_proxy->isSortingEnabled() || m_model->fieldOf(column) < 0)
        return;
    const Qt::SortOrder order = m_proxy->sortColumn() == column && m_proxy->sortOrder() == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    m_proxy->sort(column, order);
    m_header->viewport()->update();
    if (m_tree->currentIndex().isValid())
        m_tree->scrollTo(m_tree->currentIndex());
}

void GridView::sortByColumn(QStringView field, Qt::SortOrder order)
{
    m_proxy->sort(field.isEmpty() ? -1 : columnIndex(field), order);
    m_header->viewport()->update();
}

void GridView::setHeaderFilter(QStringView field, const HeaderFilter &filter)
{
    m_proxy->setFilter(columnIndex(field), filter);
}

HeaderFilter GridView::headerFilter(QStringView field) const
{
    return m_proxy->filter(columnIndex(field));
}

void GridView::clearHeaderFilters()
{
    m_proxy->clearFilters();
}

std::vector<FilterValue> GridView::headerFilterValues(QStringView field) const
{
    return m_proxy->filterValues(columnIndex(field));
}

void GridView::showHeaderFilter(int column)
{
    if (!m_header->isFilterable(column))
        return;
    auto *popup = new HeaderFilterPopup(this, column);
    const QRect button = m_header->filterButtonRect(column);
    QPoint at = m_header->viewport()->mapToGlobal(QPoint(button.right() - popup->width() + 1, m_header->viewport()->height()));
    if (const QScreen *s = screen())
        at.setX(qMax(s->availableGeometry().left(), at.x()));
    popup->move(at);
    popup->show();
}

void GridView::setWidthRule(WidthRule rule)
{
    m_widthRule = std::move(rule);
    widthRuleDue();
}

GridView::WidthRule GridView::screenWidthRule()
{
    return [](GridView &grid) {
        const QScreen *s = grid.screen();
        grid.applyScreenWidthRule(s ? s->geometry().width() : 0);
    };
}

GridView::WidthRule GridView::weightsRule()
{
    return [](GridView &grid) { grid.applyProportionalWidths(); };
}

void GridView::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    widthRuleDue();
}

void GridView::widthRuleDue()
{
    if (!m_widthRule)
        return;
    if (isUpdateLocked()) {
        m_widthRuleDue = true;
        return;
    }
    m_widthRuleDue = false;
    // The rule is for a grid in use; a disabled grid is being refilled.
    if (isEnabled())
        runWidthRule();
}

void GridView::runWidthRule()
{
    beginUpdate();
    WidthRule rule = m_widthRule;  // the rule may replace itself
    rule(*this);
    m_widthRuleDue = false;
    endUpdate();
}

void GridView::applyWidthRule()
{
    if (m_widthRule)
        runWidthRule();
}

void GridView::applyScreenWidthRule(int screenWidth)
{
    if (widthModeForScreen(screenWidth) == WidthMode::Proportional)
        applyProportionalWidths();
    else
        bestFit();
}

void GridView::applyProportionalWidths()
{
    std::vector<int> columns, weights;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (!m_model->column(c).shown)
            continue;
        columns.push_back(c);
        weights.push_back(m_model->column(c).weight);
    }
    const std::vector<int> widths = proportionalWidths(weights, width());
    for (size_t i = 0; i < columns.size(); ++i) {
        if (widths[i] >= 0)
            m_header->resizeSection(columns[i], widths[i]);
    }
}

void GridView::bestFit()
{
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_model->column(c).shown)
            m_header->resizeSection(c, measureColumn(c));
    }
}

int GridView::measureColumn(int column) const
{
    const GridColumn &col = m_model->column(column);
    const int pad = 2 * (GridDelegate::kPadding + col.padding) + 2;
    const QFontMetrics headerMetrics(m_header->font());
    int width = headerMetrics.horizontalAdvance(col.headerText()) + 2 * 4 + 2;
    if (m_header->isFilterable(column))
        width += 16;
    if (m_proxy->sortColumn() == column)
        width += 10;

    switch (col.kind) {
    case CellKind::Status:
    case CellKind::YesNo:
    case CellKind::PictureFlag:
        return qMax(width, kIconSize + pad);
    case CellKind::Check:
        return qMax(width, m_tree->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, m_tree) + pad);
    case CellKind::Picture:
        return qMax(width, m_header->sectionSize(column));
    case CellKind::Value:
    case CellKind::Drawn:
        break;
    }
    const MemTable *table = m_model->liveTable();
    if (!table)
        return width;
    const std::vector<int> rows = shownTableRows();
    const std::vector<int> candidates =
        col.kind == CellKind::Value
            ? widestRowCandidates(*table, m_model->fieldOf(column), rows, kBestFitRows)
            : std::vector<int>(rows.begin(), rows.begin() + qMin<qsizetype>(qsizetype(rows.size()), 2 * kBestFitRows));
    const QFontMetrics metrics(m_tree->font());
    for (int row : candidates) {
        QString text = m_model->displayText(row, column);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (const QString &line : text.split(u'\n'))
            width = qMax(width, metrics.horizontalAdvance(line) + pad);
    }
    if (column == 0 && m_tree->model() == m_groups)
        width += m_tree->indentation();
    return width;
}

void GridView::setGroupColumn(QStringView field)
{
    const int column = field.isEmpty() ? -1 : columnIndex(field);
    m_groups->setGroupColumn(column);
    useViewModel();
}

QString GridView::groupColumn() const
{
    const int column = m_groups->groupColumn();
    return column < 0 ? QString() : m_model->column(column).field;
}

int GridView::groupCount() const
{
    return m_tree->model() == m_groups ? m_groups->groupCount() : 0;
}

void GridView::collapseAll()
{
    m_tree->collapseAll();
}

void GridView::expandAll()
{
    m_tree->expandAll();
}

bool GridView::isGroupExpanded(int group) const
{
    return group >= 0 && group < groupCount() && m_tree->isExpanded(m_groups->headerIndex(group));
}

void GridView::setGroupExpanded(int group, bool expanded)
{
    if (group >= 0 && group < groupCount())
        m_tree->setExpanded(m_groups->headerIndex(group), expanded);
}

int GridView::rowCount() const
{
    return m_proxy->rowCount();
}

std::vector<int> GridView::shownTableRows() const
{
    if (m_tree->model() != m_groups)
        return m_proxy->tableRows();
    std::vector<int> rows;
    rows.reserve(m_proxy->tableRows().size());
    for (int g = 0; g < m_groups->groupCount(); ++g) {
        const std::span<const int> group = m_groups->groupTableRows(g);
        rows.insert(rows.end(), group.begin(), group.end());
    }
    return rows;
}

int GridView::currentRow() const
{
    const QModelIndex current = m_tree->currentIndex();
    return current.isValid() ? current.data(TableRowRole).toInt() : -1;
}

QModelIndex GridView::indexOfTableRow(int tableRow, int column) const
{
    if (m_tree->model() == m_groups)
        return m_groups->indexOfTableRow(tableRow, column);
    const int row = m_proxy->proxyRow(tableRow);
    return row < 0 ? QModelIndex() : m_proxy->index(row, column);
}

int GridView::firstVisibleColumn() const
{
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_model->column(c).shown)
            return c;
    }
    return 0;
}

bool GridView::setCurrentRow(int tableRow)
{
    const QModelIndex current = m_tree->currentIndex();
    return focusRow(tableRow, current.isValid() ? current.column() : firstVisibleColumn());
}

bool GridView::focusRow(int tableRow, int column)
{
    if (column < 0 || column >= m_model->columnCount())
        column = firstVisibleColumn();
    const QModelIndex index = indexOfTableRow(tableRow, column);
    if (!index.isValid())
        return false;
    if (index.parent().isValid())
        m_tree->expand(index.parent());
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
    return true;
}

QString GridView::currentField() const
{
    const QModelIndex current = m_tree->currentIndex();
    return current.isValid() ? m_model->column(current.column()).field : QString();
}

void GridView::setCurrentField(QStringView field)
{
    const int column = columnIndex(field);
    const QModelIndex current = m_tree->currentIndex();
    if (column < 0 || !current.isValid())
        return;
    m_tree->setCurrentIndex(current.siblingAtColumn(column));
}

void GridView::onCurrentChanged()
{
    if (!m_searchMoving)
        clearSearch();
    m_indicator->update();
    emit currentRowChanged(currentRow());
}

int GridView::searchColumn() const
{
    auto searchable = [this](int c) {
        return c >= 0 && c < m_model->columnCount() && m_model->column(c).shown && m_model->column(c).kind == CellKind::Value
               && m_model->fieldOf(c) >= 0;
    };
    const QModelIndex current = m_tree->currentIndex();
    if (current.isValid() && searchable(current.column()))
        return current.column();
    // Typed letters are meant for text: the first text column, else any column of values.
    const MemTable *table = m_model->liveTable();
    int fallback = -1;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (!searchable(c))
            continue;
        if (table && table->field(m_model->fieldOf(c)).type == FieldType::String)
            return c;
        if (fallback < 0)
            fallback = c;
    }
    return fallback;
}

bool GridView::typeSearch(const QString &text)
{
    const int column = searchColumn();
    const MemTable *table = m_model->liveTable();
    if (column < 0 || !table)
        return false;
    const std::vector<int> rows = shownTableRows();
    const auto at = std::find(rows.begin(), rows.end(), currentRow());
    const int from = at == rows.end() ? 0 : int(at - rows.begin());
    const QString wanted = m_search + text;
    const int found = findByPrefix(int(rows.size()), from, 1, wanted,
                                   [&](int i) { return m_model->displayText(rows[size_t(i)], column); });
    // A key that matches nothing is ignored, as if it had not been typed.
    if (found < 0)
        return false;
    m_search = wanted;
    m_searchMoving = true;
    const QModelIndex current = m_tree->currentIndex();
    setCurrentRow(rows[size_t(found)]);
    if (!current.isValid() || current.column() != column)
        m_tree->setCurrentIndex(m_tree->currentIndex().siblingAtColumn(column));
    m_searchMoving = false;
    m_tree->viewport()->update();
    return true;
}

bool GridView::searchAgain(int step)
{
    const int column = searchColumn();
    if (column < 0 || m_search.isEmpty())
        return false;
    const std::vector<int> rows = shownTableRows();
    const auto at = std::find(rows.begin(), rows.end(), currentRow());
    if (at == rows.end())
        return false;
    const int from = int(at - rows.begin()) + step;
    const int found = findByPrefix(int(rows.size()), from, step, m_search,
                                   [&](int i) { return m_model->displayText(rows[size_t(i)], column); });
    if (found < 0)
        return false;
    m_searchMoving = true;
    setCurrentRow(rows[size_t(found)]);
    m_searchMoving = false;
    m_tree->viewport()->update();
    return true;
}

void GridView::clearSearch()
{
    if (m_search.isEmpty())
        return;
    m_search.clear();
    m_tree->viewport()->update();
}

QTreeView *GridView::treeView() const
{
    return m_tree;
}

bool GridView::excelKaydet()
{
    QFileDialog dialog(window(), QStringLiteral("Excel Kaydet"));
    dialog.setObjectName(QStringLiteral("excelKaydetDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Excel (*.xls*)"));
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString chosen = dialog.selectedFiles().constFirst();
    const QString path = excelFileName(chosen);
    // The dialog asked about overwriting the name it was given, not the mended one.
    if (path != chosen && QFileInfo::exists(path)
        && MesajGoster(QStringLiteral("%1 zaten var. Üzerine yazılsın mı?").arg(QFileInfo(path).fileName()),
                       MessageQuestion, kButtonsYesNo, ButtonNo) != ResultYes)
        return false;
    exportWorkbook(path);
    return true;
}

void GridView::exportWorkbook(const QString &path) const
{
    std::vector<ExportColumn> columns;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const GridColumn &col = m_model->column(c);
        if (col.shown && col.kind != CellKind::Picture)
            columns.push_back({c, col.headerText(), m_header->sectionSize(c)});
    }
    std::vector<ExportRow> rows;
    if (m_tree->model() == m_groups) {
        for (int g = 0; g < m_groups->groupCount(); ++g) {
            ExportRow header;
            header.kind = ExportRow::Kind::GroupHeader;
            header.text = m_groups->groupHeaderText(g);
            rows.push_back(std::move(header));
            for (int t : m_groups->groupTableRows(g))
                rows.push_back({ExportRow::Kind::Data, t, QString(), {}, true});
            ExportRow footer;
            footer.kind = ExportRow::Kind::Summary;
            for (int c = 0; c < m_model->columnCount(); ++c)
                footer.summaries.push_back(m_groups->groupSummary(g, c));
            rows.push_back(std::move(footer));
        }
    } else {
        rows.reserve(m_proxy->tableRows().size() + 1);
        for (int t : m_proxy->tableRows())
            rows.push_back({ExportRow::Kind::Data, t, QString(), {}, false});
    }
    const bool anySummary = std::any_of(columns.begin(), columns.end(),
                                        [&](const ExportColumn &c) { return m_model->column(c.column).footer != Summary::None; });
    if (isFooterVisible() && anySummary) {
        if (m_footerDirty)
            const_cast<GridView *>(this)->recomputeFooter();
        ExportRow footer;
        footer.kind = ExportRow::Kind::Summary;
        footer.summaries = m_footerValues;
        rows.push_back(std::move(footer));
    }
    writeWorkbook(path, *m_model, columns, rows);
}

} // namespace vexor
