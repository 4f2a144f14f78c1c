#include "lists/TextLoader.h"

#include "core/Failure.h"
#include "core/Files.h"
#include "core/Progress.h"
#include "core/UserDialogs.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "lists/LoadMeter.h"
#include "lists/RowModel.h"
#include "lists/RowSplitting.h"
#include "lists/TextReading.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;
using namespace TextReading;

LoadedText loadTextFile(const QString &path, Progress *progress)
{
    try {
        if (!fileExists(path))
            return {};
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + fileNameFromPath(path));
        }
        LoadMeter meter(progress, QFileInfo(path).size());
        FileBytes file = readWholeFile(path, meter);
        if (!fitsInMemory(bytesToLoad(file.bytes.size(), file.lineFeeds)))
            throw outOfMemory(path);
        return RowSplitting::rowsOfFileBytes(std::move(file.bytes), file.lineFeeds, meter,
                                             file.knownUtf8);
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}

LoadedText loadText(QString text, const QString &source, Progress *progress)
{
    try {
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + source);
        }
        LoadMeter meter(progress, text.size() * 2);
        // A large text is gone through in pieces, with the window alive in
        // between: once to count its lines, once more to turn it into UTF-8
        // without its carriage returns.
        constexpr qsizetype Piece = qsizetype(4) << 20;
        const QStringView all(text);
        qint64 lineFeeds = 0;
        for (qsizetype at = 0; at < all.size(); at += Piece) {
            meter.read(at);
            lineFeeds += all.sliced(at, std::min(Piece, all.size() - at)).count(u'\n');
        }
        // The text, its UTF-8 (at most three bytes a unit) and the rows.
        if (!fitsInMemory(text.size() * 5 + lineFeeds * 32))
            throw sourceOutOfMemory(source);
        QByteArray bytes(text.size() * 3, Qt::Uninitialized);
        char *out = bytes.data();
        for (qsizetype at = 0; at < all.size();) {
            meter.read(all.size() + at);
            qsizetype size = std::min(Piece, all.size() - at);
            // A pair of surrogates stays in one piece.
            if (at + size < all.size() && all[at + size - 1].isHighSurrogate())
                ++size;
            char *const pieceStart = out;
            out = Utf8::appendUnits(all.sliced(at, size), out);
            out = std::remove(pieceStart, out, '\r');
            at += size;
        }
        bytes.truncate(out - bytes.constData());
        text = QString();
        return RowSplitting::splitText(std::move(bytes), lineFeeds, meter);
    } catch (const std::bad_alloc &) {
        throw sourceOutOfMemory(source);
    } catch (const std::length_error &) {
        throw sourceOutOfMemory(source);
    }
}

LoadedText loadStream(int fd, const QString &source, Progress *progress, qint64 memoryLimit)
{
    try {
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + source);
        }
        LoadMeter meter(progress, 0);
        FileBytes input = readStream(fd, source, meter, memoryLimit);
        if (!fitsInMemory(bytesToLoad(input.bytes.size(), input.lineFeeds), memoryLimit))
            throw sourceOutOfMemory(source);
        meter.setTotal(input.bytes.size());
        return RowSplitting::rowsOfFileBytes(std::move(input.bytes), input.lineFeeds, meter);
    } catch (const std::bad_alloc &) {
        throw sourceOutOfMemory(source);
    } catch (const std::length_error &) {
        throw sourceOutOfMemory(source);
    }
}

void appendLoaded(RowModel &list, LoadedText loaded)
{
    list.append(loaded.block, loaded.spans);
    if (qsizetype(loaded.spans.size()) >= RowModel::RowsFreedAside)
        dropInBackground(std::move(loaded.spans));
}

void appendTextFile(RowModel &list, const QString &path, UserDialogs &dialogs,
                    const QString &shortTitle, Progress *progress)
{
    if (!fileExists(path)) {
        // Among several files the box says which one is missing.
        dialogs.message(u"File not found: "_s + QDir::toNativeSeparators(path), shortTitle,
                        UserDialogs::Icon::None);
        return;
    }
    try {
        appendLoaded(list, loadTextFile(path, progress));
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}
