#include "windows/PlaylistWindow.h"

#include "common/QueueRoles.h"
#include "common/TimeText.h"
#include "widgets/AccessibleWindow.h"
#include "widgets/SkinStyles.h"
#include "widgets/WindowLook.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

namespace quarn {

namespace {

// A row: its number, its title, and its length (or "stream") at the right;
// the entry playing in the marking colour, a missing one greyed.
} // namespace

class EntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QColor text, playing, missing, selection;
    int indent = 4;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (option.state & QStyle::State_Selected) {
            painter->fillRect(option.rect, selection);
        }
        const bool current = index.data(CurrentRole).toBool();
        const bool isMissing = index.data(MissingRole).toBool();
        const double length = index.data(LengthRole).toDouble();
        const QString right = index.data(StreamRole).toBool() ? QStringLiteral("stream")
                              : length >= 0                   ? TimeString(RoundLength(length))
                                                              : QString();
        QFont font = option.font;
        font.setBold(current);
        painter->setFont(font);
        painter->setPen(isMissing ? missing : current ? playing : text);
        const QFontMetrics metrics(font);
        const QRect r = option.rect.adjusted(indent, 0, -indent, 0);
        const QString number = QStringLiteral("%1.").arg(index.data(NumberRole).toInt());
        const int numberWidth = metrics.horizontalAdvance(QStringLiteral("0000."));
        painter->drawText(QRect(r.left(), r.top(), numberWidth, r.height()),
                          Qt::AlignRight | Qt::AlignVCenter, number);
        const int rightWidth = metrics.horizontalAdvance(right);
        painter->drawText(r, Qt::AlignRight | Qt::AlignVCenter, right);
        const QRect title = r.adjusted(numberWidth + indent + 1, 0, -rightWidth - indent - 2, 0);
        painter->drawText(
            title, Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(index.data().toString(), Qt::ElideRight, title.width()));
    }

    static int RoundLength(double seconds) { return int(seconds + 0.5); }
};

PlaylistWindow::PlaylistWindow(QAbstractItemModel& queue, const Skin& skin, double scale)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), delegate_(new EntryDelegate(this)),
      list_(new QListView(this)), summary_(new QLabel(this)), marks_(new QLabel(this)) {
    MarkAsWindow(*this);
    setObjectName(QStringLiteral("Playlist"));
    setWindowTitle(QStringLiteral("Playlist"));
    MakeBorderless(*this);
    list_->setModel(&queue);
    list_->setItemDelegate(delegate_);
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
    summary_->setAlignment(Qt::AlignCenter);
    marks_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ApplySkin(skin, scale);
    resize(top_.width(), Scaled(200, scale));
}

void PlaylistWindow::ApplySkin(const Skin& skin, double scale) {
    const PlaylistSkin& look = skin.playlist;
    auto picture = [&](const QString& file, QImage& image, QRegion& outline) {
        const SkinPicture shown = skin.Picture(file, look.key, scale);
        image = shown.image;
        outline = shown.outline;
    };
    picture(look.top, top_, topOutline_);
    picture(look.middle, middle_, middleOutline_);
    picture(look.bottom, bottom_, bottomOutline_);
    listPlace_ = Scaled(QRect(look.listLeft, look.listTop, look.listWidth, 0), scale);
    listBottom_ = Scaled(look.listBottom, scale);
    total_ = Scaled(look.total, scale);
    marksPlace_ = Scaled(look.marks, scale);
    grip_ = Scaled(look.grip, scale);
    delegate_->text = look.text;
    delegate_->playing = look.playing;
    delegate_->missing = look.missing;
    delegate_->selection = look.selection;
    delegate_->indent = Scaled(4, scale);
    list_->setStyleSheet(ListStyle(look, scale));
    list_->setFont(look.font.At(scale));
    for (QLabel* label : {summary_, marks_}) {
        label->setStyleSheet(QStringLiteral("color: %1;").arg(look.text.name()));
        label->setFont(look.summaryFont.At(scale));
    }
    // The height is the user's, at the size it is shown.
    const int height = scale_ > 0 ? qRound(this->height() * scale / scale_) : this->height();
    scale_ = scale;
    resize(top_.width(), std::max(Scaled(kShortest, scale), height));
    resizeEvent(nullptr);
    list_->viewport()->update();
    update();
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
    case Qt::Key_Menu:
        return true;
    case Qt::Key_F10:
        return modifiers == Qt::ShiftModifier;
    case Qt::Key_A:
    case Qt::Key_Z:
        return modifiers == Qt::ControlModifier;
    default:
        return false;
    }
}

bool PlaylistWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_ ||
        (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    // The list's own keys go to it, not to the player's commands of those keys.
    if (event->type() == QEvent::ShortcutOverride && TakesKey(key->key(), key->modifiers())) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            list_->currentIndex().isValid()) {
            emit PlayRequested(list_->currentIndex().row());
            return true;
        }
        if (key->key() == Qt::Key_Menu ||
            (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            // The list's own menu, at the entry with the focus (else its top).
            const QRect entry = list_->visualRect(list_->currentIndex());
            showMenu(
                list_->viewport()->mapToGlobal(entry.isValid() ? entry.center() : QPoint(4, 4)));
            return true;
        }
        if (key->key() == Qt::Key_Delete && remove_ != nullptr) {
            remove_->trigger();
            return true;
        }
        if (key->matches(QKeySequence::Undo) && undo_ != nullptr) {
            undo_->trigger();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PlaylistWindow::SetActions(QAction* addFiles, QAction* addFolder, QAction* save,
                                QAction* remove, QAction* undo) {
    menuActions_ = {addFiles, addFolder, save, nullptr, remove, undo};
    remove_ = remove;
    undo_ = undo;
}

QList<qsizetype> PlaylistWindow::SelectedRows() const {
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
    menuRow_ = under.isValid() ? under.row() : -1;
    if (remove_ != nullptr) {
        remove_->setEnabled(!SelectedRows().isEmpty());
    }
    for (QAction* action : menuActions_) {
        if (action == nullptr) {
            menu->addSeparator();
        } else {
            menu->addAction(action);
        }
    }
    // The row it was opened on counts while it is up only.
    connect(menu, &QMenu::aboutToHide, this,
            [this] { QTimer::singleShot(0, this, [this] { menuRow_ = -1; }); });
    menu->popup(at);
}

void PlaylistWindow::ShowSummary(double knownSeconds, qsizetype entries, bool shuffle,
                                 LoopMode loop) {
    QString text =
        QStringLiteral("%1 \u2022 %2").arg(TimeString(int(knownSeconds + 0.5))).arg(entries);
    if (shuffle) {
        text += QStringLiteral("  SHUF");
    }
    if (loop != LoopMode::Off) {
        text += loop == LoopMode::File ? QStringLiteral("  LOOP 1") : QStringLiteral("  LOOP");
    }
    summary_->setText(text);
}

void PlaylistWindow::SetHeight(int height) {
    resize(width(), std::max(Scaled(kShortest, scale_), height));
}

void PlaylistWindow::resizeEvent(QResizeEvent*) {
    const int bottom = height() - bottom_.height();
    list_->setGeometry(listPlace_.left(), listPlace_.top(), listPlace_.width(),
                       height() - listPlace_.top() - listBottom_);
    summary_->setGeometry(total_.translated(0, bottom));
    marks_->setGeometry(marksPlace_.translated(0, bottom));
    reshape();
}

void PlaylistWindow::reshape() {
    QRegion outline = topOutline_;
    const int step = std::max(1, middle_.height());
    const int bottom = height() - bottom_.height();
    for (int y = top_.height(); y < bottom; y += step) {
        outline +=
            middleOutline_.translated(0, y) & QRect(0, y, width(), std::min(step, bottom - y));
    }
    outline += bottomOutline_.translated(0, bottom);
    setMask(outline);
}

void PlaylistWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int bottom = height() - bottom_.height();
    for (int y = top_.height(); y < bottom; y += std::max(1, middle_.height())) {
        painter.drawImage(0, y, middle_);
    }
    painter.drawImage(0, 0, top_);
    painter.drawImage(0, bottom, bottom_);
}

void PlaylistWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (grip_.translated(0, height() - bottom_.height()).contains(at) &&
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
