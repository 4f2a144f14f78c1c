#include "support/TestLists.h"

#include "lists/RowModel.h"

namespace {

// The text without its mark, and whether it was marked unchecked.
std::pair<QString, bool> unmarked(const QString &text)
{
    if (text.startsWith(u'-'))
        return {text.mid(1), true};
    return {text, false};
}

} // namespace

QStringList rowTexts(const RowModel &list)
{
    QStringList texts;
    texts.reserve(list.count());
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.text(i));
    return texts;
}

void appendMarkedRows(RowModel &list, const QStringList &rows)
{
    for (const QString &row : rows) {
        const auto [text, unchecked] = unmarked(row);
        list.append(text);
        if (unchecked)
            list.setChecked(list.count() - 1, false);
    }
}

std::unique_ptr<QStandardItemModel> makeTable(const QStringList &headers,
                                              const std::vector<QStringList> &rows)
{
    auto model = std::make_unique<QStandardItemModel>(int(rows.size()), int(headers.size()));
    model->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < int(headers.size()); ++c) {
            const QString cell = rows[size_t(r)].value(c);
            if (c > 0) {
                model->setItem(r, c, new QStandardItem(cell));
                continue;
            }
            const auto [text, unchecked] = unmarked(cell);
            auto *item = new QStandardItem(text);
            item->setCheckable(true);
            item->setCheckState(unchecked ? Qt::Unchecked : Qt::Checked);
            model->setItem(r, c, item);
        }
    }
    return model;
}
