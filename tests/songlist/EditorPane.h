#pragma once

// Helpers for tests that drive the song list editor's panes.
#include <QAbstractItemModel>
#include <QListView>
#include <QListWidget>
#include <QStringList>
#include <QTest>
#include <ostream>

#include "songlist/TfrmSelect.h"

// Readable failure messages for lists of names and paths.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace kazoon::test {

inline QStringList songNames(const TfrmSelect &dlg)
{
    QStringList names;
    for (int i = 0; i < dlg.lstSong->count(); ++i)
        names << dlg.lstSong->item(i)->text();
    return names;
}

inline QStringList paneNames(const TfrmSelect &dlg)
{
    const QAbstractItemModel *model = dlg.FileListBox->model();
    const QModelIndex root = dlg.FileListBox->rootIndex();
    QStringList names;
    for (int row = 0; row < model->rowCount(root); ++row)
        names << model->index(row, 0, root).data().toString();
    return names;
}

// The file pane fills asynchronously.
inline bool waitForPane(const TfrmSelect &dlg, int rows)
{
    return QTest::qWaitFor([&] { return paneNames(dlg).size() >= rows; }, 5000);
}

inline void selectInPane(TfrmSelect &dlg, const QStringList &names)
{
    const QAbstractItemModel *model = dlg.FileListBox->model();
    const QModelIndex root = dlg.FileListBox->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex index = model->index(row, 0, root);
        if (names.contains(index.data().toString()))
            dlg.FileListBox->selectionModel()->select(index, QItemSelectionModel::Select);
    }
}

} // namespace kazoon::test
