#pragma once

#include <QAbstractItemModel>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QWidget>
#include <optional>

namespace quarn {

// The playlist window, a companion that docks below the toolbar: the queue
// as a list (number, title, length; the entry playing marked, missing ones
// greyed, streams marked), the total time and the shuffle and loop marks, on
// a skin cut to its outline. Its height is the user's, dragged at its grip;
// its width is the group's. A double click or Enter plays an entry, Delete
// removes the selection, Ctrl+Z brings back what was removed last; entries
// are dragged to a new place and files dropped where they are to go. Its
// menu adds files or a folder and saves the list.
class PlaylistWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShortest = 60;

    explicit PlaylistWindow(QAbstractItemModel& queue);

    // The total of the known lengths, the number of entries, and the marks.
    void ShowSummary(double knownSeconds, qsizetype entries, bool shuffle, int loop);
    void SetHeight(int height);
    QListView& List() { return *list_; }
    QString Summary() const { return summary_->text() + QLatin1Char(' ') + marks_->text(); }
    // Whether the list takes this key itself (moving, choosing, removing).
    static bool TakesKey(int key, Qt::KeyboardModifiers modifiers);

signals:
    void PlayRequested(int row);
    void RemoveRequested(const QList<qsizetype>& rows);
    void UndoRequested();
    void AddFilesRequested(int row);
    void AddFolderRequested(int row);
    void SaveRequested();
    void HeightChanged(int height);
    // A mouse button went down on the frame (to move the group).
    void DragRequested(QPoint grabbedAt, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<qsizetype> selectedRows() const;
    void showMenu(QPoint at);
    void reshape();

    QImage top_;
    QImage middle_;
    QImage bottom_;
    QListView* list_;
    QLabel* summary_;
    QLabel* marks_;
    // What was selected before the list was laid out anew, by the entries' ids.
    QList<quint64> selectedIds_;
    int currentRow_ = -1;
    int scrolled_ = 0;
    std::optional<int> resizingFrom_; // the pointer's height on the screen at the grip's press
    int heightAtPress_ = 0;
};

} // namespace quarn
