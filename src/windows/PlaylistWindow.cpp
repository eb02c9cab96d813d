#include "windows/PlaylistWindow.h"

#include "common/QueueRoles.h"
#include "common/TimeText.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"
#include "widgets/WindowShaping.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace quarn {

namespace {

// The skin's slices and where the list, the summary and the grip go on them.
constexpr int kTopHeight = 24;
constexpr int kBottomHeight = 28;
constexpr int kListLeft = 9;
constexpr int kListTop = 20;   // the list's dark area begins in the top slice...
constexpr int kListBelow = 26; // ... and ends two rows into the bottom one
constexpr int kListWidth = 226;
constexpr QRect kTotalWell{10, 7, 72, 13}; // in the bottom slice: the total time
constexpr QRect kMarks{138, 7, 84, 13};    // in the bottom slice: entries, shuffle, loop
constexpr QRect kGrip{108, 10, 28, 14};    // in the bottom slice, around its grooves
const QColor kText(0xa9, 0xcb, 0xe6);
const QColor kPlaying(0xff, 0xd4, 0x6e);
const QColor kMissing(0x3a, 0x52, 0x68);

const char* const kListStyle = R"(
QListView { background: #040910; border: none; color: #a9cbe6; outline: none; }
QListView::item:selected { background: #1d3550; }
QScrollBar:vertical { background: #040910; width: 8px; margin: 0; }
QScrollBar::handle:vertical { background: #2f5577; min-height: 16px; border-radius: 2px; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }
)";

// A row: its number, its title, and its length (or "stream") at the right;
// the entry playing in the marking colour, a missing one greyed.
class EntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (option.state & QStyle::State_Selected) {
            painter->fillRect(option.rect, QColor(0x1d, 0x35, 0x50));
        }
        const bool current = index.data(CurrentRole).toBool();
        const bool missing = index.data(MissingRole).toBool();
        const double length = index.data(LengthRole).toDouble();
        const QString right = index.data(StreamRole).toBool() ? QStringLiteral("stream")
                              : length >= 0                   ? TimeString(RoundLength(length))
                                                              : QString();
        QFont font = option.font;
        font.setBold(current);
        painter->setFont(font);
        painter->setPen(missing ? kMissing : current ? kPlaying : kText);
        const QFontMetrics metrics(font);
        const QRect r = option.rect.adjusted(4, 0, -4, 0);
        const QString number = QStringLiteral("%1.").arg(index.data(NumberRole).toInt());
        const int numberWidth = metrics.horizontalAdvance(QStringLiteral("0000."));
        painter->drawText(QRect(r.left(), r.top(), numberWidth, r.height()),
                          Qt::AlignRight | Qt::AlignVCenter, number);
        const int rightWidth = metrics.horizontalAdvance(right);
        painter->drawText(r, Qt::AlignRight | Qt::AlignVCenter, right);
        const QRect title = r.adjusted(numberWidth + 5, 0, -rightWidth - 6, 0);
        painter->drawText(
            title, Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(index.data().toString(), Qt::ElideRight, title.width()));
    }

    static int RoundLength(double seconds) { return int(seconds + 0.5); }
};

QImage slice(const char* name) {
    return LoadPicture(QStringLiteral(":/skins/") + QString::fromLatin1(name));
}

} // namespace

PlaylistWindow::PlaylistWindow(QAbstractItemModel& queue)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), top_(slice("playlist-top.png")),
      middle_(slice("playlist-middle.png")), bottom_(slice("playlist-bottom.png")),
      list_(new QListView(this)), summary_(new QLabel(this)), marks_(new QLabel(this)) {
    setObjectName(QStringLiteral("Playlist"));
    setWindowTitle(QStringLiteral("Playlist"));
    MakeBorderless(*this);
    list_->setModel(&queue);
    list_->setItemDelegate(new EntryDelegate(list_));
    list_->setStyleSheet(QString::fromLatin1(kListStyle));
    list_->setFont(DesignFont(design::kSansSerif825Bold));
    // A thousand entries or a hundred thousand: the view asks for the rows it shows.
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setDragDropMode(QAbstractItemView::DragDrop);
    list_->setDefaultDropAction(Qt::MoveAction);
    list_->setDropIndicatorShown(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);
    // Edits lay the list out anew: what was selected stays selected, the
    // place of a removed entry is taken by the next, and the list stays
    // scrolled where it was.
    connect(&queue, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        selectedIds_.clear();
        for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
            selectedIds_ << index.data(IdRole).toULongLong();
        }
        currentRow_ = list_->currentIndex().row();
        scrolled_ = list_->verticalScrollBar()->value();
    });
    connect(&queue, &QAbstractItemModel::modelReset, this, [this, &queue] {
        QItemSelection kept;
        QModelIndex current;
        for (int row = 0; row < queue.rowCount(); ++row) {
            const QModelIndex index = queue.index(row, 0);
            if (selectedIds_.contains(index.data(IdRole).toULongLong())) {
                kept.select(index, index);
                current = current.isValid() ? current : index;
            }
        }
        if (kept.isEmpty() && currentRow_ >= 0 && queue.rowCount() > 0) {
            current = queue.index(std::min(currentRow_, queue.rowCount() - 1), 0);
            kept.select(current, current);
        }
        list_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        list_->selectionModel()->select(kept, QItemSelectionModel::ClearAndSelect);
        list_->verticalScrollBar()->setValue(scrolled_);
    });
    connect(list_, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { emit PlayRequested(index.row()); });
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { showMenu(list_->viewport()->mapToGlobal(at)); });
    for (QLabel* label : {summary_, marks_}) {
        label->setStyleSheet(QStringLiteral("color: #a9cbe6;"));
        QFont font = DesignFont(design::kSansSerif825Bold);
        font.setPointSizeF(7);
        label->setFont(font);
    }
    summary_->setAlignment(Qt::AlignCenter);
    marks_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    resize(top_.width(), 200);
}

bool PlaylistWindow::TakesKey(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Delete:
        return true;
    case Qt::Key_A:
    case Qt::Key_Z:
        return modifiers == Qt::ControlModifier;
    default:
        return false;
    }
}

bool PlaylistWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            list_->currentIndex().isValid()) {
            emit PlayRequested(list_->currentIndex().row());
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            emit RemoveRequested(selectedRows());
            return true;
        }
        if (key->matches(QKeySequence::Undo)) {
            emit UndoRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QList<qsizetype> PlaylistWindow::selectedRows() const {
    QList<qsizetype> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    return rows;
}

void PlaylistWindow::showMenu(QPoint at) {
    QMenu* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QModelIndex under = list_->indexAt(list_->viewport()->mapFromGlobal(at));
    const int row = under.isValid() ? under.row() : -1;
    connect(menu->addAction(QStringLiteral("Add files...")), &QAction::triggered, this,
            [this, row] { emit AddFilesRequested(row); });
    connect(menu->addAction(QStringLiteral("Add folder...")), &QAction::triggered, this,
            [this, row] { emit AddFolderRequested(row); });
    connect(menu->addAction(QStringLiteral("Save playlist...")), &QAction::triggered, this,
            &PlaylistWindow::SaveRequested);
    menu->addSeparator();
    QAction* remove = menu->addAction(QStringLiteral("Remove"));
    remove->setEnabled(!selectedRows().isEmpty());
    connect(remove, &QAction::triggered, this, [this] { emit RemoveRequested(selectedRows()); });
    connect(menu->addAction(QStringLiteral("Undo")), &QAction::triggered, this,
            &PlaylistWindow::UndoRequested);
    menu->popup(at);
}

void PlaylistWindow::ShowSummary(double knownSeconds, qsizetype entries, bool shuffle, int loop) {
    QString text =
        QStringLiteral("%1 \u2022 %2").arg(TimeString(int(knownSeconds + 0.5))).arg(entries);
    if (shuffle) {
        text += QStringLiteral("  SHUF");
    }
    if (loop != 0) {
        text += loop == 1 ? QStringLiteral("  LOOP 1") : QStringLiteral("  LOOP");
    }
    summary_->setText(text);
}

void PlaylistWindow::SetHeight(int height) {
    resize(width(), std::max(kShortest, height));
}

void PlaylistWindow::resizeEvent(QResizeEvent*) {
    list_->setGeometry(kListLeft, kListTop, kListWidth, height() - kListTop - kListBelow);
    summary_->setGeometry(kTotalWell.translated(0, height() - kBottomHeight));
    marks_->setGeometry(kMarks.translated(0, height() - kBottomHeight));
    reshape();
}

void PlaylistWindow::reshape() {
    QRegion outline = GetSkinRegion(top_);
    const QRegion tile = GetSkinRegion(middle_);
    const int step = std::max(1, middle_.height());
    for (int y = kTopHeight; y < height() - kBottomHeight; y += step) {
        outline += tile.translated(0, y) &
                   QRect(0, y, width(), std::min(step, height() - kBottomHeight - y));
    }
    outline += GetSkinRegion(bottom_).translated(0, height() - kBottomHeight);
    setMask(outline);
}

void PlaylistWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int y = kTopHeight; y < height() - kBottomHeight; y += std::max(1, middle_.height())) {
        painter.drawImage(0, y, middle_);
    }
    painter.drawImage(0, 0, top_);
    painter.drawImage(0, height() - kBottomHeight, bottom_);
}

void PlaylistWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (kGrip.translated(0, height() - kBottomHeight).contains(at) &&
        event->button() == Qt::LeftButton) {
        resizingFrom_ = int(event->globalPosition().y());
        heightAtPress_ = height();
        return;
    }
    emit DragRequested(event->globalPosition().toPoint(), event->button());
}

void PlaylistWindow::mouseMoveEvent(QMouseEvent* event) {
    if (resizingFrom_) {
        SetHeight(heightAtPress_ + int(event->globalPosition().y()) - *resizingFrom_);
    }
}

void PlaylistWindow::mouseReleaseEvent(QMouseEvent*) {
    if (std::exchange(resizingFrom_, std::nullopt)) {
        emit HeightChanged(height());
    }
}

} // namespace quarn
