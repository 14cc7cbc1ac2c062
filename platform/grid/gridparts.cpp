#include "gridparts.h"

#include "platform/grid/gridicons.h"
#include "platform/grid/gridmodel.h"
#include "platform/grid/gridproxy.h"
#include "platform/grid/groupmodel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace vexor {

QFont fittingFont(const QFont &font, const QString &text, int width)
{
    QFont fitted = font;
    const bool pixels = font.pixelSize() > 0;
    const qreal base = pixels ? font.pixelSize() : font.pointSizeF();
    for (qreal size = base; size >= base * 0.6; size *= 0.9) {
        if (pixels)
            fitted.setPixelSize(qMax(1, qRound(size)));
        else
            fitted.setPointSizeF(size);
        if (QFontMetrics(fitted).horizontalAdvance(text) <= width)
            break;
    }
    return fitted;
}

// ---- GridTree

GridTree::GridTree(GridView *grid) : QTreeView(grid), m_grid(grid)
{
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    // The indicator marks the focused row; the style's focus frame over it would only blur
    // the selection colour.
    setAllColumnsShowFocus(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setExpandsOnDoubleClick(true);
    setAnimated(false);
    setWordWrap(false);
    setIndentation(0);
}

void GridTree::keyPressEvent(QKeyEvent *event)
{
    if (m_grid->m_incrementalSearch) {
        const bool searching = !m_grid->m_search.isEmpty();
        const Qt::KeyboardModifiers mods = event->modifiers();
        if (searching && event->key() == Qt::Key_Backspace) {
            m_grid->m_search.chop(1);
            viewport()->update();
            return;
        }
        if (searching && event->key() == Qt::Key_Escape) {
            m_grid->clearSearch();
            return;
        }
        if (searching && (mods & Qt::ControlModifier) && (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up)) {
            m_grid->searchAgain(event->key() == Qt::Key_Down ? 1 : -1);
            return;
        }
        const QString text = event->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            m_grid->typeSearch(text);
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

void GridTree::mousePressEvent(QMouseEvent *event)
{
    m_grid->clearSearch();
    QTreeView::mousePressEvent(event);
}

void GridTree::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    QTreeView::mouseDoubleClickEvent(event);
    if (!index.isValid())
        return;
    const int tableRow = index.data(TableRowRole).toInt();
    if (tableRow >= 0)
        emit m_grid->rowDoubleClicked(tableRow, m_grid->m_model->column(index.column()).field);
}

void GridTree::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    if (m_grid->m_rowMenu && index.data(TableRowRole).toInt() >= 0)
        m_grid->m_rowMenu->exec(event->globalPos());
}

void GridTree::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    m_grid->onCurrentChanged();
}

void GridTree::scrollContentsBy(int dx, int dy)
{
    QTreeView::scrollContentsBy(dx, dy);
    m_grid->m_indicator->update();
    if (dx != 0)
        m_grid->m_footer->update();
}

void GridTree::updateGeometries()
{
    QTreeView::updateGeometries();
    m_grid->m_indicator->update();
    m_grid->m_footer->update();
}

// ---- GridHeader

GridHeader::GridHeader(GridView *grid) : QHeaderView(Qt::Horizontal, grid), m_grid(grid)
{
    setSectionsClickable(true);
    setSectionsMovable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultSectionSize(100);
    setMinimumSectionSize(8);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void GridHeader::setHeight(int height)
{
    m_height = height;
    updateGeometry();
    if (auto *tree = qobject_cast<QTreeView *>(parentWidget()))
        tree->doItemsLayout();
}

QSize GridHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(m_height);
    return size;
}

bool GridHeader::isFilterable(int column) const
{
    if (!m_grid->m_headerFilters || column < 0 || column >= m_grid->m_model->columnCount())
        return false;
    const CellKind kind = m_grid->m_model->column(column).kind;
    return kind != CellKind::Drawn && kind != CellKind::Picture && m_grid->m_model->fieldOf(column) >= 0;
}

QRect GridHeader::buttonRectIn(const QRect &section) const
{
    return QRect(section.right() - 17, section.center().y() - 8, 16, 16);
}

QRect GridHeader::filterButtonRect(int column) const
{
    return buttonRectIn(QRect(sectionViewportPosition(column), 0, sectionSize(column), viewport()->height()));
}

int GridHeader::buttonAt(const QPoint &pos) const
{
    const int column = logicalIndexAt(pos);
    if (column < 0 || !isFilterable(column))
        return -1;
    return filterButtonRect(column).contains(pos) ? column : -1;
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const GridColours &c = m_grid->m_colours;
    painter->save();
    painter->fillRect(rect, c.header);
    painter->setPen(c.header.lighter(150));
    painter->drawLine(rect.topRight(), rect.bottomRight());

    QRect textRect = rect.adjusted(4, 2, -4, -2);
    const bool filterable = isFilterable(logicalIndex);
    if (filterable)
        textRect.setRight(textRect.right() - 16);
    const GridProxy *proxy = m_grid->m_proxy;
    painter->setRenderHint(QPainter::Antialiasing);
    if (proxy->sortColumn() == logicalIndex) {
        textRect.setRight(textRect.right() - 10);
        const int x = textRect.right() + 6, y = rect.center().y();
        const QPolygon arrow = proxy->sortOrder() == Qt::AscendingOrder
                                   ? QPolygon({QPoint(x - 4, y + 2), QPoint(x + 4, y + 2), QPoint(x, y - 3)})
                                   : QPolygon({QPoint(x - 4, y - 2), QPoint(x + 4, y - 2), QPoint(x, y + 3)});
        painter->setPen(Qt::NoPen);
        painter->setBrush(c.headerText);
        painter->drawPolygon(arrow);
    }
    if (filterable) {
        const QRect b = buttonRectIn(rect);
        if (proxy->isFiltered(logicalIndex)) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(c.activeFilter);
            painter->drawRoundedRect(b, 3, 3);
        }
        const QPoint m = b.center();
        painter->setPen(Qt::NoPen);
        painter->setBrush(c.headerText);
        painter->drawPolygon(QPolygon({QPoint(m.x() - 4, m.y() - 2), QPoint(m.x() + 4, m.y() - 2), QPoint(m.x(), m.y() + 3)}));
    }
    painter->setPen(c.headerText);
    const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
    const QFontMetrics fm(painter->font());
    // Wrapped when the words fit the section; a word wider than the section is cut with an
    // ellipsis rather than on both sides.
    const QRect needed = fm.boundingRect(textRect, Qt::AlignCenter | Qt::TextWordWrap, text);
    if (needed.width() <= textRect.width() && needed.height() <= textRect.height())
        painter->drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, text);
    else
        painter->drawText(textRect, Qt::AlignCenter, fm.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

void GridHeader::mousePressEvent(QMouseEvent *event)
{
    const int button = event->button() == Qt::LeftButton ? buttonAt(event->position().toPoint()) : -1;
    if (button >= 0) {
        m_pressedButton = button;
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void GridHeader::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressedButton >= 0) {
        const int column = m_pressedButton;
        m_pressedButton = -1;
        event->accept();
        if (buttonAt(event->position().toPoint()) == column)
            m_grid->showHeaderFilter(column);
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

void GridHeader::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (buttonAt(event->position().toPoint()) >= 0) {
        event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

// ---- GridDelegate

GridDelegate::GridDelegate(GridView *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return QSize(40, m_grid->m_rowHeight);
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const GridColours &c = m_grid->m_colours;
    GridRowKind kind = GridRowKind::Data;
    int tableRow = -1;
    if (index.model() == m_grid->m_proxy) {
        tableRow = m_grid->m_proxy->tableRow(index.row());
    } else {
        kind = GridRowKind(index.data(RowKindRole).toInt());
        if (kind == GridRowKind::Data)
            tableRow = index.data(TableRowRole).toInt();
    }
    const bool selected = option.state & QStyle::State_Selected;
    QColor background, foreground = selected ? c.selectionText : c.text;
    switch (kind) {
    case GridRowKind::Data:
        background = selected ? c.selection : (option.features & QStyleOptionViewItem::Alternate ? c.rowOdd : c.rowEven);
        break;
    case GridRowKind::GroupHeader:
        background = selected ? c.selection : c.groupRow;
        break;
    case GridRowKind::GroupFooter:
        background = c.groupFooter;
        foreground = c.footerText;
        break;
    }

    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, background);
    if (kind == GridRowKind::Data && tableRow >= 0) {
        paintData(painter, option, tableRow, index.column(), background, foreground);
    } else if (kind != GridRowKind::Data) {
        QFont font = option.font;
        font.setBold(true);
        painter->setFont(font);
        painter->setPen(foreground);
        const QRect rect = option.rect.adjusted(kPadding, 0, -kPadding, 0);
        const Qt::Alignment align = kind == GridRowKind::GroupHeader
                                        ? Qt::AlignLeft | Qt::AlignVCenter
                                        : m_grid->m_model->alignment(index.column());
        const QString text = QFontMetrics(font).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, rect.width());
        painter->drawText(rect, int(align), text);
    }
    painter->setPen(c.gridLines);
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}

void GridDelegate::paintData(QPainter *painter, const QStyleOptionViewItem &option, int tableRow, int column,
                             const QColor &background, const QColor &foreground) const
{
    const GridModel &model = *m_grid->m_model;
    const GridColumn &col = model.column(column);
    const Qt::Alignment align = model.alignment(column);
    const int pad = kPadding + col.padding;
    const QRect rect = option.rect.adjusted(pad, 1, -pad, -1);
    const bool selected = option.state & QStyle::State_Selected;
    painter->setFont(option.font);
    painter->setPen(foreground);

    auto drawIcon = [&](GridIcon icon) {
        const int size = qMin(24, rect.height());
        const QRect target = QStyle::alignedRect(Qt::LeftToRight, align, QSize(size, size), rect);
        painter->drawPixmap(target, gridPixmap(icon, size, painter->device()->devicePixelRatioF()));
    };

    switch (col.kind) {
    case CellKind::Value: {
        const QString text = model.displayText(tableRow, column);
        if (text.isEmpty())
            return;
        if (col.wordWrap) {
            painter->drawText(rect, int(align) | Qt::TextWordWrap, text);
            return;
        }
        const QFont font = fittingFont(option.font, text, rect.width());
        painter->setFont(font);
        const QFontMetrics fm(font);
        const QString shown = fm.elidedText(text, Qt::ElideRight, rect.width());
        // The part typed so far by incremental search, marked in the focused row.
        const QString &typed = m_grid->m_search;
        if (!typed.isEmpty() && column == m_grid->searchColumn() && tableRow == m_grid->currentRow()) {
            const int width = fm.horizontalAdvance(shown);
            int x = rect.left();
            if (align & Qt::AlignRight)
                x = rect.right() - width + 1;
            else if (align & Qt::AlignHCenter)
                x = rect.left() + (rect.width() - width) / 2;
            const int marked = fm.horizontalAdvance(shown.left(typed.size()));
            const QRect mark(x, rect.center().y() - fm.height() / 2, qMin(marked, width), fm.height());
            painter->fillRect(mark, m_grid->m_colours.searchMatch);
        }
        painter->drawText(rect, int(align), shown);
        return;
    }
    case CellKind::Status: {
        const int f = model.fieldOf(column);
        if (f < 0 || model.liveTable()->isNull(tableRow, f))
            return;
        if (const auto icon = statusIcon(model.code(tableRow, column)))
            drawIcon(*icon);
        return;
    }
    case CellKind::YesNo:
        drawIcon(model.isPositive(tableRow, column) ? GridIcon::Yes : GridIcon::No);
        return;
    case CellKind::PictureFlag:
        if (model.isPositive(tableRow, column))
            drawIcon(GridIcon::Picture);
        return;
    case CellKind::Check: {
        const QWidget *widget = option.widget;
        const QStyle *style = widget ? widget->style() : QApplication::style();
        QStyleOptionButton box;
        box.state = QStyle::State_Enabled | (model.isPositive(tableRow, column) ? QStyle::State_On : QStyle::State_Off);
        const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget),
                         style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget));
        box.rect = QStyle::alignedRect(Qt::LeftToRight, align, size, rect);
        box.palette = option.palette;
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
        return;
    }
    case CellKind::Picture: {
        const QPixmap picture = model.picture(tableRow, column);
        if (picture.isNull())
            return;
        QSize size = picture.deviceIndependentSize().toSize();
        // Fit pictures that are too large; never blow up small ones.
        if (size.width() > rect.width() || size.height() > rect.height())
            size.scale(rect.size(), Qt::KeepAspectRatio);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(QStyle::alignedRect(Qt::LeftToRight, align, size, rect), picture);
        return;
    }
    case CellKind::Drawn: {
        const MemTable *table = model.liveTable();
        if (!table)
            return;
        if (col.paint) {
            col.paint(*painter, DrawnCell{*table, tableRow, option.rect, selected, background, foreground, option.font});
            return;
        }
        QString text = model.displayText(tableRow, column);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        painter->drawText(rect, int(align) | (col.wordWrap ? int(Qt::TextWordWrap) : 0), text);
        return;
    }
    }
}

// ---- GridFooter

GridFooter::GridFooter(GridView *grid) : QWidget(grid), m_grid(grid)
{
    setFixedHeight(30);
}

void GridFooter::paintEvent(QPaintEvent *)
{
    const GridColours &c = m_grid->m_colours;
    QPainter p(this);
    p.fillRect(rect(), c.footer);
    p.setPen(c.gridLines);
    p.drawLine(0, 0, width(), 0);

    const QTreeView *tree = m_grid->treeView();
    const QHeaderView *header = tree->header();
    const QRect viewport = tree->viewport()->geometry();
    const int x0 = tree->x() - x() + viewport.x();
    p.setClipRect(QRect(x0, 0, viewport.width(), height()));
    QFont font = p.font();
    font.setBold(true);
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        const QRect cell(x0 + header->sectionViewportPosition(column), 0, header->sectionSize(column), height());
        p.setPen(c.gridLines);
        p.drawLine(cell.topRight(), cell.bottomRight());
        const QString text = m_grid->footerText(column);
        if (text.isEmpty())
            continue;
        const QRect inner = cell.adjusted(GridDelegate::kPadding, 1, -GridDelegate::kPadding, 0);
        const Qt::Alignment align = (m_grid->m_model->alignment(column) & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
        p.setPen(c.footerText);
        const QFont fitted = fittingFont(font, text, inner.width());
        p.setFont(fitted);
        p.drawText(inner, int(align), QFontMetrics(fitted).elidedText(text, Qt::ElideLeft, inner.width()));
    }
}

// ---- GridIndicator

GridIndicator::GridIndicator(GridView *grid) : QWidget(grid), m_grid(grid)
{
    setFixedWidth(12);
}

void GridIndicator::paintEvent(QPaintEvent *)
{
    const GridColours &c = m_grid->m_colours;
    const QTreeView *tree = m_grid->treeView();
    const int top = tree->viewport()->y();
    QPainter p(this);
    p.fillRect(QRect(0, 0, width(), top), c.header);
    p.fillRect(QRect(0, top, width(), height() - top), c.indicator);
    const QModelIndex current = tree->currentIndex();
    if (!current.isValid())
        return;
    const QRect row = tree->visualRect(current);
    if (row.height() <= 0 || row.bottom() < 0 || row.top() > tree->viewport()->height())
        return;
    const int y = top + row.center().y();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(3, y - 4), QPoint(3, y + 4), QPoint(8, y)}));
}

// ---- FilterValuesModel

FilterValuesModel::FilterValuesModel(std::vector<FilterValue> values, const HeaderFilter &current, QObject *parent)
    : QAbstractListModel(parent), m_values(std::move(values))
{
    m_checked.reserve(m_values.size());
    for (const FilterValue &v : m_values)
        m_checked.push_back(std::find(current.values.begin(), current.values.end(), v.key) != current.values.end());
}

std::vector<CellKey> FilterValuesModel::checkedKeys() const
{
    std::vector<CellKey> keys;
    for (size_t i = 0; i < m_values.size(); ++i) {
        if (m_checked[i])
            keys.push_back(m_values[i].key);
    }
    return keys;
}

int FilterValuesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_values.size());
}

QVariant FilterValuesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    const FilterValue &v = m_values[size_t(index.row())];
    if (role == Qt::DisplayRole)
        return v.key.isBlank() ? QStringLiteral("(Boş)") : v.text;
    if (role == Qt::CheckStateRole)
        return int(m_checked[size_t(index.row())] ? Qt::Checked : Qt::Unchecked);
    return QVariant();
}

bool FilterValuesModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    m_checked[size_t(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags FilterValuesModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

// ---- HeaderFilterPopup

HeaderFilterPopup::HeaderFilterPopup(GridView *grid, int column)
    : QFrame(grid, Qt::Popup), m_grid(grid), m_column(column)
{
    setObjectName(QStringLiteral("headerFilterPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    const HeaderFilter current = grid->proxy()->filter(column);

    m_text = new QLineEdit(current.text, this);
    m_text->setObjectName(QStringLiteral("customText"));
    m_text->setPlaceholderText(QStringLiteral("İçerdiği metin..."));
    m_text->setClearButtonEnabled(true);

    m_values = new FilterValuesModel(grid->proxy()->filterValues(column), current, this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("values"));
    m_list->setUniformItemSizes(true);
    m_list->setModel(m_values);

    auto *clear = new QPushButton(QStringLiteral("Temizle"), this);
    clear->setObjectName(QStringLiteral("clear"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_text);
    layout->addWidget(m_list);
    layout->addWidget(clear);

    connect(m_text, &QLineEdit::returnPressed, this, [this] {
        HeaderFilter filter;
        filter.text = m_text->text().trimmed();
        m_grid->proxy()->setFilter(m_column, filter);
        close();
    });
    connect(m_values, &QAbstractItemModel::dataChanged, this, [this] {
        HeaderFilter filter;
        filter.values = m_values->checkedKeys();
        m_grid->proxy()->setFilter(m_column, filter);
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_grid->proxy()->setFilter(m_column, HeaderFilter());
        close();
    });
    resize(260, 320);
}

} // namespace vexor
