#pragma once

#include <QStringList>
#include <QTreeView>

#include <functional>

class RowModel;

// The view of one list: a single column with a header, rows of uniform height,
// never sorted by the view. The Delete key (with any modifiers) and a
// double-click remove a row unless the window is busy. A view may accept
// files dropped on it and hand their paths on.
class RowListView final : public QTreeView
{
    Q_OBJECT

public:
    explicit RowListView(QWidget *parent = nullptr);

    void setRowModel(RowModel *model);
    RowModel *rowModel() const { return m_model; }

    // Asked before a row is removed; a busy window removes nothing.
    void setBusyTest(std::function<bool()> isBusy) { m_isBusy = std::move(isBusy); }

    void setAcceptFileDrops(bool accept);
    bool acceptsFileDrops() const { return m_acceptFileDrops; }

    // The local files of a drop, in the order the drop lists them; empty when
    // the drop carries no local file.
    static QStringList localFilePaths(const QMimeData *mime);

signals:
    // Emitted after the drop has finished, from the event loop.
    void filesDropped(const QStringList &paths);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool busy() const { return m_isBusy && m_isBusy(); }
    bool onCheckBox(const QModelIndex &index, const QPoint &pos);
    void removeRow(int row);

    RowModel *m_model = nullptr;
    std::function<bool()> m_isBusy;
    bool m_acceptFileDrops = false;
};
