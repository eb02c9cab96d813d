#pragma once

#include "common/PlaybackState.h"
#include "widgets/Skin.h"

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
// its skin's pictures cut to their outline. Its height is the user's, dragged at its grip;
// its width is the group's. A double click or Enter plays an entry, Delete
// removes the selection, Ctrl+Z brings back what was removed last; entries
// are dragged to a new place and files dropped where they are to go. Its
// menu adds files or a folder and saves the list.
class PlaylistWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShortest = 60;

    PlaylistWindow(QAbstractItemModel& queue, const Skin& skin, double scale);

    // Takes the skin's pictures, outline, colours and the places of the list,
    // the total, the marks and the grip.
    void ApplySkin(const Skin& skin, double scale);

    // The total of the known lengths, the number of entries, and the marks.
    void ShowSummary(double knownSeconds, qsizetype entries, bool shuffle, LoopMode loop);
    void SetHeight(int height);
    QListView& List() { return *list_; }
    QString Summary() const { return summary_->text() + QLatin1Char(' ') + marks_->text(); }
    // Whether the list takes this key itself (moving, choosing, removing, its
    // menu by the Menu key or Shift+F10) rather than the player's command of
    // that key.
    static bool TakesKey(int key, Qt::KeyboardModifiers modifiers);
    // The player's actions its menu offers: add files, add a folder, save the
    // list, remove the selection, undo the removal (Delete and Ctrl+Z in the
    // list give the last two).
    void SetActions(QAction* addFiles, QAction* addFolder, QAction* save, QAction* remove,
                    QAction* undo);
    QList<qsizetype> SelectedRows() const;
    // The row the menu was opened on (where files are added); -1 for none.
    int MenuRow() const { return menuRow_; }

signals:
    void PlayRequested(int row);
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
    void showMenu(QPoint at);
    void reshape();

    QImage top_;
    QImage middle_;
    QImage bottom_;
    QRegion topOutline_, middleOutline_, bottomOutline_;
    // At the size shown: the list's place (its bottom from the window's
    // bottom edge), and the total, marks and grip in the bottom picture.
    QRect listPlace_;
    int listBottom_ = 0;
    QRect total_, marksPlace_, grip_;
    double scale_ = 0;
    QList<QAction*> menuActions_;
    QAction* remove_ = nullptr;
    QAction* undo_ = nullptr;
    int menuRow_ = -1;
    class EntryDelegate* delegate_;
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
