#pragma once

#include "commands/WindowPointer.h"

#include <QCursor>
#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

class QWidget;

// The hover-pointer rules: moving over a command button shows the custom hand
// pointer, over the window's background, the frame or a list the default
// arrow; neither replaces the hourglass of a running command. Controls that
// are not registered (the drop-down list, the progress bar) leave the pointer
// as it is.
class PointerRules final : public QObject
{
    Q_OBJECT

public:
    explicit PointerRules(WindowPointer &pointer, QObject *parent = nullptr);

    void addHandTarget(QWidget *widget);
    void addDefaultTarget(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void add(QWidget *widget, WindowPointer::Shape shape);

    WindowPointer &m_pointer;
    QHash<const QObject *, WindowPointer::Shape> m_targets;
};

// Loads a cursor image file (.cur, or any image Qt reads); the hot spot of a
// .cur file is kept. Throws the "Invalid picture" failure when the file is no
// image.
QCursor loadCursorFile(const QString &path);

// The cursor that shows a pointer shape; custom is the loaded hand image, or
// the arrow when none was loaded.
QCursor cursorForShape(WindowPointer::Shape shape, const std::optional<QCursor> &custom);
